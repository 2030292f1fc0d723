#include "wl/main_window.h"

#include "wl/app.h"
#include "wl/frame_window.h"
#include "wl/reflect.h"

LRESULT CWLMainWindow::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (ReflectToControl(hWnd, uMsg, wParam, lParam)) return 1;
  switch (uMsg) {
    case WM_CREATE:
      return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam)) ? 0 : -1;
    case WM_DESTROY: {
      OnDestroy();
      CWLApp* pOwnerApp = pApp;
      bool bMain = pOwnerApp != nullptr && static_cast<CWLWindow*>(pOwnerApp->pMainWnd) == this;
      LRESULT lResult = CWLWindow::WindowProc(uMsg, wParam, lParam);  // may delete this
      if (bMain) {
        pOwnerApp->pMainWnd = nullptr;
        PostQuitMessage(0);
      }
      return lResult;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC hdc = BeginPaint(hWnd, &paint)) {
        OnPaint(hdc, &paint);
        EndPaint(hWnd, &paint);
      }
      return 0;
    }
    case WM_COMMAND:
      return OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    default:
      return CWLWindow::WindowProc(uMsg, wParam, lParam);
  }
}

BOOL CWLMainWindow::OnCreate(CREATESTRUCTA*) { return TRUE; }

void CWLMainWindow::OnDestroy() {}

LRESULT CWLMainWindow::OnCommand(UINT nNotifyCode, UINT nId, HWND hControl) {
  return DefaultProc(WM_COMMAND, MAKEWPARAM(nId, nNotifyCode), reinterpret_cast<LPARAM>(hControl));
}

void CWLMainWindow::OnPaint(HDC, PAINTSTRUCT*) {}
