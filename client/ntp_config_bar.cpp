#include "client/ntp_config_bar.h"

#include <commctrl.h>

#include <climits>
#include <new>

#include "client/entry_text.h"
#include "client/input_dialog.h"
#include "client/res/resource_ids.h"
#include "client/server_entry_dialog.h"
#include "wl/app.h"

namespace {
const char kProxyCaption[] = "HTTPプロキシサーバーの登録";
const int kMaxSpin = 32767;

struct SpinSetup {
  UINT nId;
  int nMin;
  UDACCEL accel;
};
const SpinSetup kSpins[] = {{IDC_CHECK_SPAN_SPIN, CNTPConfigBar::kMinCheckSpan, {1, 1}},
                            {IDC_TIMEOUT_SPIN, CNTPConfigBar::kMinTimeout, {1, 50}},
                            {IDC_ALLOWANCE_SPIN, CNTPConfigBar::kMinAllowance, {10, 50}}};

void RaiseTo(int* pValue, int nMin) {
  if (*pValue < nMin) *pValue = nMin;
}
}  // namespace

CNTPConfigBar::CNTPConfigBar(const char* pszDataFolder, const char* pszModuleFolder, CUserPrompt* pPrompt)
    : CWLDialog(IDD_CONFIG_BAR),
      CClientConfig(pszDataFolder, pszModuleFolder, pPrompt),
      pCorrection(nullptr),
      promptMainWindow(this),
      pServerBox(nullptr) {
  if (this->pPrompt == nullptr) this->pPrompt = &promptMainWindow;
}

LRESULT CNTPConfigBar::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) return OnInitDialog();
  if (uMsg == WM_COMMAND && OnCommand(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
  return CWLDialog::WindowProc(uMsg, wParam, lParam);
}

CWLGUICtrl* CNTPConfigBar::CreateChildObject(HWND, UINT nId) {
  if (nId != IDC_SERVER_LIST) return nullptr;
  pServerBox = new CNTPSvrListBox;
  return pServerBox;
}

BOOL CNTPConfigBar::OnCommand(UINT nCode, UINT nId, HWND) {
  if (nId != IDC_SERVER_LIST || nCode != LBN_DBLCLK) return FALSE;
  int nSelected = GetServerList()->GetSelection();
  if (nSelected >= 0) EditServer(nSelected);
  return TRUE;
}

BOOL CNTPConfigBar::OnInitDialog() {
  for (const SpinSetup& spin : kSpins) {
    UDACCEL accel = spin.accel;
    SendDlgItemMessageA(hWnd, spin.nId, UDM_SETRANGE, 0, MAKELPARAM(kMaxSpin, spin.nMin));
    SendDlgItemMessageA(hWnd, spin.nId, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
  if (pServerBox != nullptr) SetServerList(pServerBox);
  LoadConfig();
  WritePanel();
  return TRUE;
}

// The edit's leading decimal digits (none gives 0); a number beyond the
// 32-bit range stays the largest one.
int CNTPConfigBar::ReadNumber(UINT nId) {
  CCharString sText = GetItem(nId)->GetText();
  long long nValue = 0;
  for (const char* p = sText; *p >= '0' && *p <= '9'; ++p) {
    nValue = nValue * 10 + (*p - '0');
    if (nValue > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(nValue);
}

BOOL CNTPConfigBar::ReadPanel() {
  CClientConfig::ReadPanel();
  nCheckSpan = ReadNumber(IDC_CHECK_SPAN);
  RaiseTo(&nCheckSpan, kMinCheckSpan);
  nTimeout = ReadNumber(IDC_TIMEOUT);
  RaiseTo(&nTimeout, kMinTimeout);
  nAllowance = ReadNumber(IDC_ALLOWANCE);
  RaiseTo(&nAllowance, kMinAllowance);
  if (sProtocol == protocolHttp) {
    RaiseTo(&nTimeout, kMinHttpTimeout);
    RaiseTo(&nAllowance, kMinHttpAllowance);
    if (bUseHttpProxy) RaiseTo(&nTimeout, kMinProxyTimeout);
  }
  bAutoExec = IsDlgButtonChecked(hWnd, IDC_AUTO_EXEC) == BST_CHECKED;
  bSaveLog = IsDlgButtonChecked(hWnd, IDC_SAVE_LOG) == BST_CHECKED;
  bRotateServer = IsDlgButtonChecked(hWnd, IDC_ROTATE_SERVER) == BST_CHECKED;
  return WritePanel();
}

BOOL CNTPConfigBar::WritePanel() {
  GetItem(IDC_CHECK_SPAN)->SetInt(nCheckSpan);
  GetItem(IDC_TIMEOUT)->SetInt(nTimeout);
  GetItem(IDC_ALLOWANCE)->SetInt(nAllowance);
  CheckDlgButton(hWnd, IDC_AUTO_EXEC, bAutoExec ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hWnd, IDC_SAVE_LOG, bSaveLog ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hWnd, IDC_ROTATE_SERVER, bRotateServer ? BST_CHECKED : BST_UNCHECKED);
  return 1;
}

BOOL CNTPConfigBar::RunServerDialog(NTP_SERVER_INFO* pEntry) {
  CSorbelDlg dialog(pCorrection, pPrompt);
  dialog.bHttp = sProtocol == protocolHttp;
  dialog.sName = pEntry->sName;
  dialog.sHost = pEntry->sHost;
  dialog.DoModal(this);
  if (!dialog.bAccepted) return 0;
  pEntry->sName = dialog.sName;
  pEntry->sHost = dialog.sHost;
  pEntry->nState = 0;
  return 1;
}

BOOL CNTPConfigBar::AddServer() {
  NTP_SERVER_INFO* pEntry = new (std::nothrow) NTP_SERVER_INFO;
  if (pEntry == nullptr) return 0;
  if (!RunServerDialog(pEntry) || GetServerList()->AddItem(pEntry) < 0) {
    delete pEntry;
    return 0;
  }
  return 1;
}

BOOL CNTPConfigBar::EditServer(int nIndex) {
  NTP_SERVER_INFO* pEntry = GetServerList()->GetAt(nIndex);
  if (pEntry == nullptr || !RunServerDialog(pEntry)) return 0;
  if (pServerBox != nullptr) {
    InvalidateRect(pServerBox->hWnd, nullptr, TRUE);
    UpdateWindow(pServerBox->hWnd);
  }
  return 1;
}

BOOL CNTPConfigBar::EditProxy() {
  CCharString sText = sHttpProxy;
  CCharString sPrompt = pApp != nullptr ? pApp->LoadResString(IDS_PROXY_PROMPT) : CCharString();
  BOOL bStored = RunInputDialog(this, kProxyCaption, sPrompt, &sText);
  if (bStored) sHttpProxy = CleanEntryText(sText);
  if (sHttpProxy.IsEmpty()) {
    bUseHttpProxy = 0;
    return 0;
  }
  return bStored;
}
