// What Vantro's main window does beyond the time correction itself: the
// service registration through the maker's tool, the start-up shortcut,
// the guided network diagnosis and the update page.
#include "client/res/resource_ids.h"
#include "client/shortcut.h"
#include "client/sys/elevation_notice.h"
#include "client/sys/folder_path.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/os_version.h"
#include "client/sys/shell_start.h"
#include "client/sys/special_folder.h"
#include "client/sys/system_api.h"
#include "client/vantro.h"
#include "core/ie_proxy.h"

namespace {
const char kServiceTool[] = "KORVEX.exe";
// Started instead where the process lacks full rights: it asks for them.
const char kElevatingServiceTool[] = "ミルタ-サービス登録.exe";
const char kServiceToolPrefix[] = "サービスとしての登録・解除処理には";
const char kServiceToolNote[] = "(※キャンセルをするとサービス登録はできません。)";
const char kServiceInstallParameters[] =
    "mb /inst \"RAVO NTP CLIENT\" DAMPLIN.exe interactive \"ミルタ ～インターネット時刻補正～\"";
const char kServiceRemoveParameters[] = "silent /rm \"RAVO NTP CLIENT\"";
const DWORD kServiceToolWaitMs = 30000;

const char kStartupTarget[] = "ミルタ～インターネット時刻補正～.exe";
const char kStartupLinkName[] = "ミルタ - インターネット時刻補正.lnk";
const char kStartupArguments[] = "Vantro.exe /startup";
const char kStartupAllUsersArguments[] = "Vantro.exe /startupAll";
const int kCsidlStartup = 7;         // CSIDL_STARTUP
const int kCsidlCommonStartup = 24;  // CSIDL_COMMON_STARTUP

const char kAskNetwork[] =
    "ネットワーク環境に合わせた自動通信設定を行います\n現在ネットワークは有効になっていますか？\n"
    "(※自動設定にはネットワーク有効状態が必須です)";
const char kNtpWorks[] = "NTP通信が有効です";
const char kAskHttp[] = "NTP通信が有効ではありません\nHTTP通信への利用にきりかえますか？";
const char kDiagnosisFailed[] =
    "自動通信設定が失敗しました\n（現在ご利用の通信環境を整えてから再度設定をお試し下さい）";
const char kAskBrowserProxy[] =
    "Internet Explorer にプロキシ通信の利用が設定されています\n"
    "IEのプロキシの設定を、本ソフトのHTTPプロキシ設定に反映させますか？";
const char kHttpFails[] = "HTTP通信が有効ではありませんでした";
const char kHttpWorks[] = "HTTP通信が有効です";
const char kDiagnosisDone[] = "自動通信設定が完了いたしました";
const int kDiagnosisNtpTimeoutMs = 3000;
const int kDiagnosisHttpTimeoutMs = 10000;
}  // namespace

const char* CVantro::AddressOr(const CCharString& sSetting, const char* pszBuiltIn) const {
  return sSetting.IsEmpty() ? pszBuiltIn : static_cast<const char*>(sSetting);
}

BOOL CVantro::RunServiceTool(BOOL bInstall) {
  char szFolder[MAX_PATH];
  GetModuleFolder(szFolder);
  CCharString sTool(szFolder);
  if (IsFullRightsProcess()) {
    sTool += kServiceTool;
  } else {
    if (!ConfirmElevation(&prompt, kServiceToolPrefix, kElevatingServiceTool, kServiceToolNote)) return FALSE;
    sTool += kElevatingServiceTool;
  }
  return RunAndWait(sTool, bInstall ? kServiceInstallParameters : kServiceRemoveParameters, kServiceToolWaitMs);
}

void CVantro::SetStartupShortcut(BOOL bRegister) {
  BOOL bAllUsers = FALSE;
  if (IsFullRightsProcess() && IsNTFamily()) bAllUsers = Ask(IDS_STARTUP_ALL_USERS, MB_YESNO, IDYES);
  char szFolder[MAX_PATH];
  if (!GetSpecialFolder(nullptr, szFolder, bAllUsers ? kCsidlCommonStartup : kCsidlStartup, TRUE)) return;
  CCharString sLink = CCharString(szFolder) + "\\" + kStartupLinkName;
  if (!bRegister) {
    DeleteFileA(sLink);
    return;
  }
  char szProgram[MAX_PATH];
  DWORD dwLength = GetSystemApi()->GetModuleFileName(szProgram, MAX_PATH);
  if (dwLength == 0 || dwLength >= MAX_PATH) return;
  CCharString sTarget = GetFolderOfPath(szProgram) + kStartupTarget;
  CreateShortcut(sLink, sTarget, bAllUsers ? kStartupAllUsersArguments : kStartupArguments, nullptr);
}

BOOL CVantro::RunAutoDiagnosis() {
  if (!Ask(kAskNetwork, MB_YESNO, IDYES)) return 0;
  int nProtocol = CClientSettings::protocolNtp;
  if (pCorrection->CheckTimeNtp(AddressOr(pConfigBar->sDiagnosisNtpServer, kDiagnosisNtpServer),
                                kDiagnosisNtpTimeoutMs, 0, FALSE)) {
    MessageBox(kNtpWorks, MB_OK);
  } else {
    if (!Ask(kAskHttp, MB_YESNO, IDYES)) {
      MessageBox(kDiagnosisFailed, MB_OK);
      return 0;
    }
    CCharString sProxy;
    if (!pConfigBar->bUseHttpProxy && GetIEProxy(sProxy) && Ask(kAskBrowserProxy, MB_YESNO, IDYES)) {
      pConfigBar->bUseHttpProxy = 1;
      pConfigBar->sHttpProxy = sProxy;
    }
    if (!pCorrection->CheckTimeHttp(AddressOr(pConfigBar->sDiagnosisWebSite, kDiagnosisWebSite),
                                    kDiagnosisHttpTimeoutMs, 0, FALSE)) {
      MessageBox(kHttpFails, MB_OK);
      MessageBox(kDiagnosisFailed, MB_OK);
      return 0;
    }
    MessageBox(kHttpWorks, MB_OK);
    nProtocol = CClientSettings::protocolHttp;
  }
  if (nProtocol != pConfigBar->sProtocol) {
    pConfigBar->sProtocol = nProtocol;
    pConfigBar->LoadServerList(TRUE);
  }
  MessageBox(kDiagnosisDone, MB_OK);
  return 1;
}
