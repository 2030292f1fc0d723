#include "server/ntp_svr_ctrl.h"

#include <string.h>

#include "base/char_string.h"
#include "client/sys/command_line.h"
#include "client/sys/module_folder.h"
#include "client/sys/os_version.h"
#include "client/sys/service_process.h"
#include "client/sys/shell_start.h"
#include "client/sys/system_api.h"
#include "server/sorbel_ids.h"
#include "wl/app.h"
#include "wl/cmd_state.h"

namespace {

const char kServiceTitleSuffix[] = " （サービス起動）";
const char kServiceRestartNotice[] = "※サービス起動はWindows再起動後に有効になります";
const char kServiceToolPrefix[] = "サービスとしての登録・解除処理には";
const char kServiceToolNote[] = "(※キャンセルをするとサービス登録はできません。)";
// Vista and later: the tool that asks for elevation; before: the tool itself.
const char kElevatingServiceTool[] = "ミルタ-サービス登録.exe";
const char kServiceTool[] = "KORVEX.exe";
const char kServiceInstallParameters[] =
    "mb /inst \"RAVO NTP SERVER\" DAMPLIN.exe interactive \"ミルタ NTPサーバー\"";
const char kServiceRemoveParameters[] = "silent /rm \"RAVO NTP SERVER\"";
const DWORD kServiceToolWaitMs = 30000;

}  // namespace

const char* const CNTPSvrCtrl::kClassName = "WL_RAVO_NTP_SERVER32";
const char* const CNTPSvrCtrl::kUpdateInfoUrl = "http://www.ravo.example/QAAA";

CNTPSvrCtrl::CNTPSvrCtrl()
    : CServerEngine(nullptr, nullptr, this), bWinsockStarted(FALSE), nBusyDepth(0), bCloseDeferred(FALSE) {
  WSADATA data;
  bWinsockStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  sClassName = kClassName;
}

CNTPSvrCtrl::~CNTPSvrCtrl() {
  // Normally stopped at WM_CLOSE already; the responder must not outlive the
  // settings it sends from.
  SetBroadcastMode(FALSE);
  SetResponseMode(FALSE);
  if (GetServerSettings() == pSettings) SetServerSettings(nullptr);
  delete pSettings;  // writes the file unless saved since the last change
  pSettings = nullptr;
  if (pTrayIcon) pTrayIcon->Remove();
  pTrayIcon.reset();
  if (bWinsockStarted) WSACleanup();
}

BOOL CNTPSvrCtrl::PreTranslateMessage(MSG*) { return FALSE; }

BOOL CNTPSvrCtrl::OnCreate(CREATESTRUCTA*) {
  EnterBusy();
  pSettings = new CServerSettings(CServerSettings::GetDefaultPath());
  SetServerSettings(pSettings);

  bServiceMode = FALSE;
  CCommandLineTokens arguments(GetSystemApi()->GetCommandLine());
  if (arguments.GetCount() > 1 && strcmp(arguments.Get(1), "/service") == 0) bServiceMode = TRUE;

  SetClassLongPtrA(hWnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetStockObject(BLACK_BRUSH)));
  CCharString sTitle = pApp->LoadResString(IDS_SORBEL_TITLE);
  if (bServiceMode) sTitle += kServiceTitleSuffix;
  SetWindowTextA(hWnd, sTitle);

  pTrayIcon.reset(new CTrayIcon(CTrayIcon::kCompact));
  if (bServiceMode) RegisterAsServiceProcess(0, 1);
  // The notification area shows the small image of the icon.
  HICON hIcon = static_cast<HICON>(LoadImageA(GetInstance(), MAKEINTRESOURCEA(IDI_SORBEL_TRAY), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                              LR_SHARED));
  pTrayIcon->Init(hWnd, SORBEL_TRAY_ICON_ID, hIcon, sTitle, WM_SORBEL_TRAY_NOTIFY);
  pTrayIcon->Show(TRUE);

  SetResponseMode(pSettings->bResponseMode);
  SetBroadcastMode(pSettings->bBroadcastMode);
  LeaveBusy();
  return TRUE;
}

void CNTPSvrCtrl::OnDestroy() {}

LRESULT CNTPSvrCtrl::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CLOSE:
      if (nBusyDepth > 0) {
        bCloseDeferred = TRUE;
        return 0;
      }
      if (pTrayIcon) pTrayIcon->Show(FALSE);
      SetResponseMode(FALSE);
      break;
    case WM_ENDSESSION:
      if (wParam) {
        ShowWindow(hWnd, SW_HIDE);
        // The process ends with the session, without the destructor: keep
        // the modes switched from the menu.
        if (pSettings && pSettings->bDirty) pSettings->SaveSettings();
      }
      break;
    case WM_TIMER:
      if (OnTimer(wParam)) return 0;
      break;
    case WM_SORBEL_TRAY_RESHOW:
      if (pTrayIcon) {
        pTrayIcon->Show(FALSE);
        pTrayIcon->Show(wParam != 0);
      }
      break;
    case WM_SORBEL_TRAY_NOTIFY:
      OnTrayNotify(wParam, lParam);
      break;
    default:
      break;
  }
  return CWLFrameWindow::WindowProc(uMsg, wParam, lParam);
}

BOOL CNTPSvrCtrl::OnTimer(UINT_PTR nId) { return CServerEngine::OnTimer(nId); }

void CNTPSvrCtrl::OnTrayNotify(WPARAM, LPARAM lParam) {
  if (lParam != WM_LBUTTONUP && lParam != WM_RBUTTONUP) return;
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(hWnd);
  HMENU hMenu = LoadMenuA(GetInstance(), MAKEINTRESOURCEA(IDR_SORBEL_TRAY_MENU));
  if (!hMenu) return;
  TrackPopupMenu(GetSubMenu(hMenu, 0), TPM_LEFTBUTTON, pt.x, pt.y, 0, hWnd, nullptr);
  // Without a message after it, the menu of a background window may not
  // close the next time the user clicks elsewhere.
  PostMessageA(hWnd, WM_NULL, 0, 0);
  DestroyMenu(hMenu);
}

LRESULT CNTPSvrCtrl::OnCommand(UINT nNotifyCode, UINT nId, HWND hControl) {
  switch (nId) {
    case ID_APP_EXIT:
      Close(FALSE);
      break;
    case ID_BROADCAST_NOW:
      BroadcastNow();
      break;
    case ID_BROADCAST_MODE:
      pSettings->bBroadcastMode = !pSettings->bBroadcastMode;
      pSettings->bDirty = TRUE;
      SetBroadcastMode(pSettings->bBroadcastMode);
      break;
    case ID_RESPONSE_MODE:
      pSettings->bResponseMode = !pSettings->bResponseMode;
      pSettings->bDirty = TRUE;
      SetResponseMode(pSettings->bResponseMode);
      break;
    case ID_UPDATE_INFO:
      OpenWithShell(kUpdateInfoUrl);
      break;
    case ID_SERVICE_INSTALL:
      if (bServiceMode) {
        AskUser(pApp->LoadResString(IDS_SERVICE_MODE_NOTICE), MB_OK);
      } else if (RunServiceTool(TRUE)) {
        SetForegroundWindow(hWnd);
        AskUser(kServiceRestartNotice, MB_OK);
      }
      break;
    case ID_SERVICE_REMOVE:
      if (bServiceMode) {
        AskUser(pApp->LoadResString(IDS_SERVICE_MODE_NOTICE), MB_OK);
      } else {
        RunServiceTool(FALSE);
      }
      break;
    case ID_EDIT_SETTINGS:
      pSettings->SaveSettings();
      GetSystemApi()->ShellExecute(hWnd, "open", pSettings->sIniPath, nullptr, nullptr, SW_SHOWNA);
      break;
    default:
      break;
  }
  return CWLFrameWindow::OnCommand(nNotifyCode, nId, hControl);
}

void CNTPSvrCtrl::UpdateCmdState(CWLCmdState* pState) {
  if (!pSettings) return;
  switch (pState->nCmdId) {
    case ID_BROADCAST_MODE:
      pState->Check(pSettings->bBroadcastMode ? 1 : 0);
      break;
    case ID_RESPONSE_MODE:
      pState->Check(pSettings->bResponseMode ? 1 : 0);
      break;
    default:
      break;
  }
}

void CNTPSvrCtrl::UpdateStatusBar(CWLStatusBar*) {}

void CNTPSvrCtrl::ShowCommandHelp(UINT) {}

BOOL CNTPSvrCtrl::RunServiceTool(BOOL bInstall) {
  char szFolder[MAX_PATH];
  GetModuleFolder(szFolder);
  CCharString sTool(szFolder);
  if (IsVistaOrLater()) {
    if (!ConfirmElevation(kServiceToolPrefix, kElevatingServiceTool, kServiceToolNote)) return FALSE;
    sTool += kElevatingServiceTool;
  } else {
    sTool += kServiceTool;
  }
  return RunAndWait(sTool, bInstall ? kServiceInstallParameters : kServiceRemoveParameters, kServiceToolWaitMs);
}

int CNTPSvrCtrl::AskUser(const char* pszText, UINT uType) {
  EnterBusy();
  int nAnswer = GetSystemApi()->MessageBox(hWnd, pszText, GetText(), uType);
  LeaveBusy();
  return nAnswer;
}

void CNTPSvrCtrl::EnterBusy() { ++nBusyDepth; }

void CNTPSvrCtrl::LeaveBusy() {
  if (--nBusyDepth == 0 && bCloseDeferred) {
    bCloseDeferred = FALSE;
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
  }
}

void CNTPSvrCtrl::BringToFront() { SetForegroundWindow(hWnd); }

UINT_PTR CNTPSvrCtrl::SetTimer(UINT_PTR nId, UINT nMs) { return hWnd ? ::SetTimer(hWnd, nId, nMs, nullptr) : 0; }

BOOL CNTPSvrCtrl::KillTimer(UINT_PTR nId) { return hWnd ? ::KillTimer(hWnd, nId) : FALSE; }
