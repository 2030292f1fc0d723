#include "client/vantro.h"

#include <commctrl.h>
#include <string.h>

#include "client/res/resource_ids.h"
#include "client/sys/command_line.h"
#include "client/sys/full_rights.h"
#include "client/sys/os_version.h"
#include "client/sys/service_process.h"
#include "client/sys/system_api.h"
#include "core/ntp_recver.h"
#include "core/winsock_startup.h"
#include "wl/app.h"
#include "wl/command_text.h"
#include "wl/tool_tip.h"

namespace {
const char kServiceTitleSuffix[] = " （サービス起動）";
const char kElevatedTitleSuffix[] = " （管理者モード起動）";
const char kPanelName[] = "ntpsetting";
const char kLogListName[] = "loglist";
const int kWindowWidth = 600;
const int kRunImageWidth = 16;
const COLORREF kTransparent = RGB(255, 0, 255);
const int kTipMargin = 5;
const int kTipMaxWidth = 300;
const int kStatusPartWidths[] = {-1, 120, 150};  // part 0 takes the rest
}  // namespace

const char* const CVantro::kClassName = "WL_RAVO_NTP_CLIENT32";
const char* const CVantro::kDiagnosisNtpServer = "ntp.nict.jp";
const char* const CVantro::kDiagnosisWebSite = "http://www.nict.go.jp/";
const char* const CVantro::kUpdateInfoUrl = "http://www.ravo.example/BAAA";

CVantro::CVantro(CAppFolders* pAppFolders)
    : bServiceMode(FALSE),
      pConfigBar(nullptr),
      pToolBar(nullptr),
      pStatusBar(nullptr),
      pLogList(nullptr),
      pFolders(pAppFolders != nullptr ? pAppFolders : &ownFolders),
      prompt(this),
      bCloseDeferred(FALSE),
      bStartedWinsock(FALSE) {
  sClassName = kClassName;
  // Whoever started the socket library stops it.
  bStartedWinsock = !IsWinsockStarted() && StartupWinsock(1, 1);
}

CVantro::~CVantro() {
  // The listener and the scheduler refer to the runs; the runs to the host.
  pReception.reset();
  pScheduler.reset();
  pCorrection.reset();
  pCorrectionHost.reset();
  if (pTrayIcon) pTrayIcon->Remove();
  if (bStartedWinsock) CleanupWinsock();
}

BOOL CVantro::OnCreate(CREATESTRUCTA*) {
  CCommandLineTokens arguments(GetSystemApi()->GetCommandLine());
  bServiceMode = arguments.GetCount() > 1 && strcmp(arguments.Get(1), "/service") == 0;
  pFolders->ChooseDataFolder(bServiceMode);

  CCharString sTitle = pApp->LoadResString(IDS_VANTRO_TITLE);
  if (bServiceMode) {
    sTitle += kServiceTitleSuffix;
  } else if (IsVistaOrLater() && IsFullRightsProcess()) {
    sTitle += kElevatedTitleSuffix;
  }
  SetWindowTextA(hWnd, sTitle);

  // The panel loads the settings and the server list as it is created.
  pConfigBar = new CNTPConfigBar(pFolders->sDataFolder, pFolders->sModuleFolder);
  if (!pConfigBar->CreateChild(this, 0, 0, -1, -1, IDC_CONFIG_BAR)) {
    if (pConfigBar->hWnd == nullptr) delete pConfigBar;
    pConfigBar = nullptr;
    return FALSE;
  }
  SetWindowTextA(pConfigBar->hWnd, kPanelName);
  if (!CreateChildren()) return FALSE;

  // The runs log into the run-log list; the scheduler, the broadcasts and
  // the panel's server test share them (and so the pending hold-back).
  pCorrectionHost.reset(new CClientCorrectionHost(pLogList, pConfigBar));
  pCorrection.reset(new CTimeCorrection(pCorrectionHost.get()));
  pConfigBar->pCorrection = pCorrection.get();
  pReception.reset(new CBroadcastReception(pConfigBar, pCorrection.get(), &prompt, hWnd));
  pScheduler.reset(new CCorrectionScheduler(pConfigBar, pCorrection.get(), pLogList, this, pReception.get()));

  RECT rc;
  GetWindowRect(hWnd, &rc);
  SetWindowPos(hWnd, nullptr, 0, 0, kWindowWidth, rc.bottom - rc.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  pConfigBar->ReadPanel();

  pTrayIcon.reset(new CTrayIcon(CTrayIcon::kFull));
  HICON hIcon = static_cast<HICON>(LoadImageA(GetInstance(), MAKEINTRESOURCEA(IDI_VANTRO_SMALL), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                              LR_SHARED));
  pTrayIcon->Init(hWnd, VANTRO_TRAY_ICON_ID, hIcon, sTitle, WM_VANTRO_TRAY_NOTIFY);

  if (bServiceMode) {
    RegisterAsServiceProcess(0, 1);
    pConfigBar->bTackTray = 1;  // no window: the icon is the way in
    pReception->bServiceMode = TRUE;
  } else {
    ShowWindow(hWnd, SW_SHOW);
  }
  if (pConfigBar->bTackTray) pTrayIcon->Show(TRUE);
  pScheduler->StartUp();
  return TRUE;
}

namespace {
// The control's object once its window exists; nullptr (and no object) otherwise.
template <class T>
T* Created(T* pCtrl, CWLWindow* pParent, const char* pszText, UINT nId) {
  if (pCtrl->CreateCtrl(pParent, 0, 0, 0, 0, pszText, nId)) return pCtrl;
  if (pCtrl->hWnd == nullptr) delete pCtrl;
  return nullptr;
}
}  // namespace

BOOL CVantro::CreateChildren() {
  pToolBar = Created(new CWLToolBarEx(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP), this, "", IDC_TOOLBAR);
  if (pToolBar != nullptr) pToolBar->LoadToolBar(IDR_TOOLBAR, TRUE);
  pStatusBar = Created(new CWLStatusBarEx, this, "", IDC_STATUS_BAR);
  pLogList = Created(new CNTPLogListBox(pFolders->sDataFolder), this, kLogListName, IDC_LOG_LIST);
  if (pLogList == nullptr) return FALSE;
  pLogList->SetImageList(IDB_RUN_RESULT, kRunImageWidth, kTransparent);
  // The rows were measured before there were images.
  MEASUREITEMSTRUCT measure = {};
  pLogList->MeasureItem(&measure);
  SendMessageA(pLogList->hWnd, LB_SETITEMHEIGHT, 0, measure.itemHeight);

  HWND hTip = pToolBar != nullptr ? reinterpret_cast<HWND>(SendMessageA(pToolBar->hWnd, TB_GETTOOLTIPS, 0, 0)) : nullptr;
  CWLToolTip* pTip = hTip != nullptr ? new CWLToolTip : nullptr;
  if (pTip != nullptr && !pTip->Attach(hTip)) {
    delete pTip;
    pTip = nullptr;
  }
  if (pTip != nullptr) {
    RECT rcMargin = {kTipMargin, kTipMargin, kTipMargin, kTipMargin};
    SendMessageA(hTip, TTM_SETTIPTEXTCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(hTip, TTM_SETTIPBKCOLOR, RGB(0, 0, 0), 0);
    SendMessageA(hTip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&rcMargin));
    SendMessageA(hTip, TTM_SETMAXTIPWIDTH, 0, kTipMaxWidth);
  }
  return TRUE;
}

LRESULT CVantro::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CLOSE:
      // A box or dialog of this window is up and returns into this object
      // when it ends: the window goes once it is enabled again.
      if (!IsWindowEnabled(hWnd)) {
        bCloseDeferred = TRUE;
        return 0;
      }
      break;
    case WM_ENABLE:
      if (wParam && bCloseDeferred) {
        bCloseDeferred = FALSE;
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
      }
      break;
    case WM_DESTROY:
      if (pConfigBar != nullptr && !(bServiceMode && IsVistaOrLater())) pConfigBar->SaveConfig();
      break;
    case WM_ENDSESSION:
      if (wParam) {
        ShowWindow(hWnd, SW_HIDE);
        // The session ends the process without WM_DESTROY: what the user
        // set since the start is kept as a close would keep it.
        if (pConfigBar != nullptr && !(bServiceMode && IsVistaOrLater())) pConfigBar->SaveConfig();
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && pConfigBar != nullptr && pConfigBar->bTackTray) {
        ShowWindow(hWnd, SW_HIDE);
        return 0;
      }
      break;
    case WM_TIMER:
      if (OnTimer(wParam)) return 0;
      break;
    case WM_POWERBROADCAST:
      if (pScheduler) pScheduler->OnPowerBroadcast(wParam);
      break;
    case WM_VANTRO_TRAY_RESHOW:
      if (pTrayIcon && pConfigBar != nullptr && pConfigBar->bTackTray) {
        pTrayIcon->Show(FALSE);
        pTrayIcon->Show(wParam != 0);
      }
      break;
    case WM_NTP_BROADCAST:
      if (pScheduler) pScheduler->OnNtpBroadcast(wParam, lParam);
      break;
    case WM_VANTRO_TRAY_NOTIFY:
      OnTrayNotify(wParam, lParam);
      break;
    default:
      break;
  }
  return CWLFrameWindow::WindowProc(uMsg, wParam, lParam);
}

void CVantro::OnDestroy() {
  if (pTrayIcon) {
    pTrayIcon->Remove();
    pTrayIcon.reset();
  }
  if (pScheduler) pScheduler->OnDestroy();
}

BOOL CVantro::OnSize(int cx, int cy, UINT nType) {
  if (hWnd == nullptr || !IsWindow(hWnd)) return FALSE;
  WLRECT rc = {0, 0, 0, 0};
  int nToolBar = 0, nStatusBar = 0, nPanel = 0;
  if (pToolBar != nullptr) {
    SendMessageA(pToolBar->hWnd, WM_SIZE, nType, MAKELPARAM(cx, cy));
    if (pToolBar->GetRect(&rc)) nToolBar = rc.cy;
  }
  if (pStatusBar != nullptr) {
    SendMessageA(pStatusBar->hWnd, WM_SIZE, nType, MAKELPARAM(cx, cy));
    pStatusBar->SetParts(3, kStatusPartWidths);
    if (pStatusBar->GetRect(&rc)) nStatusBar = rc.cy;
  }
  if (pConfigBar != nullptr && pConfigBar->GetRect(&rc)) {
    nPanel = rc.cy;
    pConfigBar->SetRect({0, nToolBar, cx, nPanel}, kMove | kSize);
  }
  if (pLogList != nullptr) {
    int nLog = cy - nStatusBar - nToolBar - nPanel;
    pLogList->SetRect({0, nToolBar + nPanel, cx, nLog > 0 ? nLog : 0}, kMove | kSize);
  }
  return TRUE;
}

void CVantro::OnTrayNotify(WPARAM, LPARAM lParam) {
  if (lParam != WM_LBUTTONDOWN) return;
  ShowWindow(hWnd, SW_SHOWNOACTIVATE);
  SetForegroundWindow(hWnd);
}

BOOL CVantro::OnTimer(UINT_PTR nId) { return pScheduler ? pScheduler->OnTimer(nId) : FALSE; }

void CVantro::UpdateStatusBar(CWLStatusBar*) {
  if (pScheduler) pScheduler->UpdateStatusBar();
}

void CVantro::ShowCommandHelp(UINT nId) {
  // Only commands have help strings: 105 (exit) shares its number with a
  // question of the start-up commands.
  CCharString sHelp;
  if (nId >= ID_FIRST_COMMAND_STRING) sHelp = GetCommandHelpText(pApp->LoadResString(nId));
  SetStatusText(0, sHelp);
}

UINT_PTR CVantro::SetTimer(UINT_PTR nId, UINT nElapseMs) { return ::SetTimer(hWnd, nId, nElapseMs, nullptr); }

void CVantro::KillTimer(UINT_PTR nId) { ::KillTimer(hWnd, nId); }

void CVantro::PostCommand(UINT nId) { PostMessageA(hWnd, WM_COMMAND, nId, 0); }

void CVantro::SetStatusText(int nPart, const char* pszText) {
  if (pStatusBar != nullptr) pStatusBar->SetText(nPart, pszText);
}

void CVantro::RunDiagnosis() { RunAutoDiagnosis(); }
