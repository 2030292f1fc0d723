#include "wl/gui_ctrl.h"

#include <string.h>

#include "wl/reflect.h"
#include "wl/window_map.h"
#include "wl/window_procs.h"

CWLGUICtrl::CWLGUICtrl() : pfnPrevWndProc(nullptr) {}

CWLGUICtrl::~CWLGUICtrl() {
  // The messages after WM_DESTROY (WM_NCDESTROY frees the control's data)
  // must reach the control's own procedure. The object may be unbound already.
  CWLBaseWindow* pBound = hWnd != nullptr ? GetWindowObject(hWnd) : nullptr;
  if (pfnPrevWndProc != nullptr && IsWindow(hWnd) && (pBound == nullptr || pBound == this) &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hWnd, GWLP_WNDPROC)) == WLWindowProc) {
    SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnPrevWndProc));
  }
}

LRESULT CWLGUICtrl::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  // Reflected messages are system messages moved up by kReflectBase.
  if (uMsg > kReflectBase && uMsg < kReflectBase + WM_USER &&
      OnReflect(uMsg - kReflectBase, wParam, lParam) != 0) {
    return 1;
  }
  return CWLWindow::WindowProc(uMsg, wParam, lParam);
}

LRESULT CWLGUICtrl::DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (pfnPrevWndProc == nullptr) return 0;
  return CallWindowProcA(pfnPrevWndProc, hWnd, uMsg, wParam, lParam);
}

BOOL CWLGUICtrl::Create(CWLWindow*) { return FALSE; }

BOOL CWLGUICtrl::CreateCtrl(CWLWindow* pParent, int x, int y, int cx, int cy, LPCSTR pszText, UINT nId) {
  DWORD dwStyle = WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP | (pParent != nullptr ? WS_CHILD : 0);
  DWORD dwExStyle = 0;
  char szClass[256] = "";
  if (!PreCreate(szClass, &dwStyle, &dwExStyle)) return FALSE;
  HWND hParent = pParent != nullptr && IsWindow(pParent->hWnd) ? pParent->hWnd : nullptr;
  // A popup takes the menu parameter as a menu handle.
  HMENU hId = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)) : nullptr;
  if (!CreateEx(szClass, pszText, dwExStyle, dwStyle, x, y, cx, cy, hParent, hId)) return FALSE;
  HWND hControl = hWnd;
  hWnd = nullptr;
  if (!Attach(hControl)) return FALSE;
  SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return TRUE;
}

BOOL CWLGUICtrl::Attach(HWND hControl) {
  if (hControl == nullptr || hWnd != nullptr || GetWindowObject(hControl) != nullptr) return FALSE;
  pfnPrevWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hControl, GWLP_WNDPROC));
  SetWindowLongPtrA(hControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WLWindowProc));
  SetWindowObject(hControl, this);
  return TRUE;
}

LRESULT CWLGUICtrl::OnReflect(UINT, WPARAM, LPARAM) { return 0; }
