#include "wl/window.h"

#include <stdlib.h>

#include "wl/app.h"
#include "wl/attach_ctrl.h"
#include "wl/window_map.h"

CWLWindow::CWLWindow() : bAutoDelete(1), bDialogNavigation(0) {}

LRESULT CWLWindow::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = DefaultProc(uMsg, wParam, lParam);
  if (uMsg == WM_DESTROY && bAutoDelete) {
    SetWindowObject(hWnd, nullptr);
    delete this;
  }
  return lResult;
}

BOOL CWLWindow::Close(BOOL bNow) {
  if (bNow) return DestroyWindow(hWnd);
  return PostMessageA(hWnd, WM_CLOSE, 0, 0);
}

CWLWindow* CWLWindow::GetItem(UINT nId) {
  HWND hChild = GetDlgItem(hWnd, static_cast<int>(nId));
  if (hChild == nullptr) return nullptr;
  if (CWLBaseWindow* pObject = GetWindowObject(hChild)) return dynamic_cast<CWLWindow*>(pObject);
  auto* pCtrl = new CWLAttachCtrl;
  pCtrl->Attach(hChild);
  return pCtrl;
}

BOOL CWLWindow::SetRect(const WLRECT& rect, UINT nFlags) {
  UINT uFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (!(nFlags & kMove)) uFlags |= SWP_NOMOVE;
  if (!(nFlags & kSize)) uFlags |= SWP_NOSIZE;
  return SetWindowPos(hWnd, nullptr, rect.x, rect.y, rect.cx, rect.cy, uFlags);
}

BOOL CWLWindow::GetRect(WLRECT* pRect, const WLRECT* pNew) {
  if (pNew != nullptr) SetRect(*pNew, kMove | kSize);
  RECT rc;
  if (!GetWindowRect(hWnd, &rc)) return FALSE;
  // A top-level window's parent is the desktop: screen coordinates stay.
  POINT origin = {rc.left, rc.top};
  MapWindowPoints(HWND_DESKTOP, GetAncestor(hWnd, GA_PARENT), &origin, 1);
  *pRect = {origin.x, origin.y, rc.right - rc.left, rc.bottom - rc.top};
  return TRUE;
}

BOOL CWLWindow::Position(POINT* pPoint, const POINT* pNew) {
  WLRECT rect;
  if (pNew != nullptr) SetRect({pNew->x, pNew->y, 0, 0}, kMove);
  if (!GetRect(&rect)) return FALSE;
  *pPoint = {rect.x, rect.y};
  return TRUE;
}

BOOL CWLWindow::Size(SIZE* pSize, const SIZE* pNew) {
  WLRECT rect;
  if (pNew != nullptr) SetRect({0, 0, pNew->cx, pNew->cy}, kSize);
  if (!GetRect(&rect)) return FALSE;
  *pSize = {rect.cx, rect.cy};
  return TRUE;
}

BOOL CWLWindow::Enable(int nState) {
  if (nState != -1) EnableWindow(hWnd, nState != 0);
  return IsWindowEnabled(hWnd);
}

int CWLWindow::MessageBox(LPCSTR pszText, UINT uType, LPCSTR pszCaption) {
  CCharString sCaption = pszCaption != nullptr ? CCharString(pszCaption) : GetText();
  return ::MessageBoxA(hWnd, pszText, sCaption, uType);
}

int CWLWindow::MessageBox(UINT nTextId, UINT uType, LPCSTR pszCaption) {
  CCharString sText = pApp != nullptr ? pApp->LoadResString(nTextId) : CCharString();
  return MessageBox(static_cast<LPCSTR>(sText), uType, pszCaption);
}

BOOL CWLWindow::SetInt(int nValue, LPCSTR pszFormat) {
  CCharString sText;
  sText.Format(pszFormat != nullptr ? pszFormat : "%d", nValue);
  return SetWindowTextA(hWnd, sText);
}

int CWLWindow::GetInt() { return static_cast<int>(atol(GetText())); }

LONG CWLWindow::ModifyStyle(int nIndex, DWORD dwAdd, DWORD dwRemove) {
  LONG lOld = GetWindowLongA(hWnd, nIndex);
  LONG lNew = static_cast<LONG>((static_cast<DWORD>(lOld) & ~dwRemove) | dwAdd);
  if (lNew != lOld) {
    SetWindowLongA(hWnd, nIndex, lNew);
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOOWNERZORDER | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  }
  return lNew;
}
