#include "server/sorbel_app.h"

#include "server/ntp_svr_ctrl.h"

CWLFrameWindow* CThisApp::CreateMainWindow() {
  CNTPSvrCtrl* pCtrl = new CNTPSvrCtrl;
  if (FindWindowA(CNTPSvrCtrl::kClassName, nullptr)) {
    delete pCtrl;
    return nullptr;
  }
  return pCtrl;
}

int SorbelMain(HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow) {
  CThisApp app;
  return RunApp(&app, hInstance, pszCmdLine, nCmdShow);
}
