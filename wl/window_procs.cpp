#include "wl/window_procs.h"

#include "wl/app.h"
#include "wl/dialog.h"
#include "wl/window_map.h"

LRESULT CALLBACK WLWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (CWLBaseWindow* pWindow = GetWindowObject(hWnd)) return pWindow->WindowProc(uMsg, wParam, lParam);
  if (uMsg == WM_NCCREATE) {
    // Framework windows pass their object as the creation parameter.
    auto* pCreate = reinterpret_cast<CREATESTRUCTA*>(lParam);
    if (auto* pWindow = static_cast<CWLBaseWindow*>(pCreate->lpCreateParams)) {
      SetWindowObject(hWnd, pWindow);
      SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
      return pWindow->WindowProc(uMsg, wParam, lParam);
    }
  }
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

INT_PTR CALLBACK WLDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWLApp* pApp = GetCurrentApp();
  if (pApp != nullptr && pApp->pDlgInCreation != nullptr) {
    CWLDialog* pDialog = pApp->pDlgInCreation;
    pApp->pDlgInCreation = nullptr;
    SetWindowObject(hDlg, pDialog);
    return pDialog->WindowProc(uMsg, wParam, lParam);
  }
  if (CWLBaseWindow* pWindow = GetWindowObject(hDlg)) return pWindow->WindowProc(uMsg, wParam, lParam);
  return 0;
}
