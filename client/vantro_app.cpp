#include "client/vantro_app.h"

#include <string.h>

#include "client/res/resource_ids.h"
#include "client/sys/full_rights.h"
#include "client/sys/shell_start.h"
#include "client/vantro.h"

namespace {
const char kUserModeOption[] = "/usermode";
const DWORD kElevatedStartWaitMs = 100;
}  // namespace

CWLFrameWindow* CThisApp::CreateMainWindow() {
  hAccel = LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  CVantro* pVantro = new CVantro(this);
  HWND hRunning = FindWindowA(CVantro::kClassName, nullptr);
  if (hRunning != nullptr) {
    delete pVantro;
    PostMessageA(hRunning, WM_VANTRO_TRAY_NOTIFY, 0, WM_LBUTTONDOWN);
    return nullptr;
  }
  return pVantro;
}

BOOL CThisApp::GetWindowClassInfo(WNDCLASSEXA* pClass) {
  if (!CWLFrameworkApp::GetWindowClassInfo(pClass)) return FALSE;
  pClass->hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_VANTRO));
  pClass->hIconSm = static_cast<HICON>(LoadImageA(hInstance, MAKEINTRESOURCEA(IDI_VANTRO_SMALL), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                  LR_SHARED));
  pClass->lpszMenuName = MAKEINTRESOURCEA(IDR_MAINFRAME);
  return TRUE;
}

int VantroMain(HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow) {
  const char* pszText = pszCmdLine != nullptr ? pszCmdLine : "";
  if (strcmp(pszText, kUserModeOption) != 0 && !IsFullRightsProcess()) {
    // Whether or not the user agrees, this limited copy does nothing more.
    RestartElevated(pszText, nCmdShow, kElevatedStartWaitMs);
    return 1;
  }
  CThisApp app;
  return RunApp(&app, hInstance, pszText, nCmdShow);
}
