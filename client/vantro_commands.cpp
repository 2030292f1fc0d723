// The commands of Vantro's menu, toolbar and accelerators, with their
// confirmations, and their enabled and checked states.
#include "client/about_dialog.h"
#include "client/res/resource_ids.h"
#include "client/sys/shell_start.h"
#include "client/sys/system_api.h"
#include "client/vantro.h"
#include "wl/cmd_state.h"

namespace {
const char kServiceRestartNotice[] = "※サービス起動はWindows再起動後に有効になります";
}  // namespace

BOOL CVantro::Ask(const char* pszText, UINT uType, int nGoOn) { return MessageBox(pszText, uType) == nGoOn; }

BOOL CVantro::Ask(UINT nTextId, UINT uType, int nGoOn) { return MessageBox(nTextId, uType) == nGoOn; }

LRESULT CVantro::OnCommand(UINT nNotifyCode, UINT nId, HWND hControl) {
  if (pConfigBar == nullptr || pScheduler == nullptr || pScheduler->OnCommand(nId)) {
    return CWLFrameWindow::OnCommand(nNotifyCode, nId, hControl);
  }
  switch (nId) {
    case ID_APP_EXIT:
      PostMessageA(hWnd, WM_CLOSE, 0, 0);
      break;
    case ID_ADD_SERVER:
      pConfigBar->AddServer();
      break;
    case ID_EDIT_SERVER:
    case ID_DELETE_SERVER:
    case ID_SERVER_UP:
    case ID_SERVER_DOWN:
      OnServerCommand(nId);
      break;
    case ID_DOWNLOAD_LIST:
      if (Ask(IDS_CONFIRM_DOWNLOAD, MB_OKCANCEL, IDOK) && !pConfigBar->DownloadServerList()) {
        MessageBox(IDS_DOWNLOAD_FAILED, MB_OK);
      }
      break;
    case ID_TACK_TRAY:
      pConfigBar->bTackTray = !pConfigBar->bTackTray;
      if (pTrayIcon) pTrayIcon->Show(pConfigBar->bTackTray);
      break;
    case ID_USE_NTP:
    case ID_USE_HTTP:
      // The list shown is not saved: edits since the last save are lost.
      if (Ask(nId == ID_USE_HTTP ? IDS_CONFIRM_USE_HTTP : IDS_CONFIRM_USE_NTP, MB_OKCANCEL, IDOK)) {
        pConfigBar->sProtocol = nId == ID_USE_HTTP ? CClientSettings::protocolHttp : CClientSettings::protocolNtp;
        pConfigBar->LoadServerList(TRUE);
      }
      break;
    case ID_USE_HTTP_PROXY:
      pConfigBar->bUseHttpProxy = !pConfigBar->bUseHttpProxy;
      if (pConfigBar->bUseHttpProxy && pConfigBar->sHttpProxy.IsEmpty()) pConfigBar->EditProxy();
      break;
    case ID_HTTP_PROXY_SETTING:
      pConfigBar->EditProxy();
      break;
    case ID_STARTUP_REGISTER:
    case ID_STARTUP_UNREGISTER: {
      BOOL bRegister = nId == ID_STARTUP_REGISTER;
      if (Ask(bRegister ? IDS_CONFIRM_STARTUP_REGISTER : IDS_CONFIRM_STARTUP_UNREGISTER, MB_YESNO, IDYES)) {
        SetStartupShortcut(bRegister);
      }
      break;
    }
    case ID_SERVICE_INSTALL:
    case ID_SERVICE_REMOVE:
      if (bServiceMode) {
        MessageBox(IDS_SERVICE_MODE_NOTICE, MB_OK);
      } else if (RunServiceTool(nId == ID_SERVICE_INSTALL) && nId == ID_SERVICE_INSTALL) {
        MessageBox(kServiceRestartNotice, MB_OK);
      }
      break;
    case ID_TIME_ZONE:
      GetSystemApi()->ShellExecute(hWnd, "open", "control.exe", "timedate.cpl,,1", nullptr, SW_SHOWNA);
      break;
    case ID_CLEAR_LOG:
      if (Ask(IDS_CONFIRM_CLEAR_LOG, MB_YESNO, IDYES)) pLogList->ResetContent();
      break;
    case ID_OPEN_LOG:
      GetSystemApi()->ShellExecute(hWnd, "open", pLogList->sLogPath, nullptr, nullptr, SW_SHOWNA);
      break;
    case ID_UPDATE_INFO:
      OpenWithShell(AddressOr(pConfigBar->sUpdateInfoUrl, kUpdateInfoUrl));
      break;
    case ID_ABOUT:
      (new CAboutDlg)->DoModal(this);
      break;
    default:
      break;
  }
  return CWLFrameWindow::OnCommand(nNotifyCode, nId, hControl);
}

void CVantro::OnServerCommand(UINT nId) {
  CServerList* pList = pConfigBar->GetServerList();
  int nSelected = pList->GetSelection();
  if (nSelected < 0) {
    MessageBox(IDS_NO_SERVER_SELECTED, MB_OK);
    return;
  }
  switch (nId) {
    case ID_EDIT_SERVER:
      pConfigBar->EditServer(nSelected);
      break;
    case ID_DELETE_SERVER:
      if (Ask(IDS_CONFIRM_DELETE_SERVER, MB_YESNO, IDYES)) pList->DeleteItem(nSelected);
      // The same place, or the new last entry; none in an empty list.
      pList->SetSelection(nSelected < pList->GetCount() ? nSelected : pList->GetCount() - 1);
      break;
    case ID_SERVER_UP:
      if (nSelected > 0) pList->MoveEntry(nSelected, nSelected - 1);
      break;
    case ID_SERVER_DOWN:
      if (nSelected < pList->GetCount() - 1) pList->MoveEntry(nSelected, nSelected + 1);
      break;
    default:
      break;
  }
}

void CVantro::UpdateCmdState(CWLCmdState* pState) {
  if (pConfigBar == nullptr || pScheduler == nullptr || pScheduler->UpdateCmdState(pState)) return;
  switch (pState->nCmdId) {
    case ID_TACK_TRAY:
      pState->Check(pConfigBar->bTackTray ? 1 : 0);
      break;
    case ID_USE_NTP:
      pState->Check(pConfigBar->sProtocol == CClientSettings::protocolNtp ? 1 : 0);
      break;
    case ID_USE_HTTP:
      pState->Check(pConfigBar->sProtocol == CClientSettings::protocolHttp ? 1 : 0);
      break;
    case ID_USE_HTTP_PROXY:
      pState->Check(pConfigBar->bUseHttpProxy ? 1 : 0);
      break;
    default:
      break;
  }
}
