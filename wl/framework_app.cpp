#include "wl/framework_app.h"

#include <windows.h>

#include <commctrl.h>

#include "wl/frame_window.h"

BOOL CWLFrameworkApp::InitInstance() {
  InitCommonControls();
  pMainWnd = CreateMainWindow();
  if (pMainWnd == nullptr) return FALSE;
  if (!pMainWnd->CreateFrame(this)) {
    // A frame whose creation failed after WM_NCCREATE deleted itself and
    // cleared pMainWnd; one that never got a window is still ours.
    delete pMainWnd;
    pMainWnd = nullptr;
    return FALSE;
  }
  UpdateWindow(pMainWnd->hWnd);
  return TRUE;
}

BOOL CWLFrameworkApp::OnIdle(LONG) {
  if (pMainWnd != nullptr) pMainWnd->UpdateChildCmdStates();
  return 0;
}

int RunApp(CWLApp* pApp, HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow) {
  pApp->hInstance = hInstance;
  pApp->nCmdShow = nCmdShow;
  pApp->sCmdLine = pszCmdLine != nullptr ? pszCmdLine : "";
  if (!pApp->InitInstance()) return 0;
  pApp->nExitCode = pApp->Run();
  return pApp->ExitInstance();
}
