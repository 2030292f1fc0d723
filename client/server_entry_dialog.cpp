#include "client/server_entry_dialog.h"

#include "client/entry_text.h"
#include "client/res/resource_ids.h"
#include "wl/app.h"

CSorbelDlg::CSorbelDlg(CTimeCorrection* pCorrection, CUserPrompt* pPrompt)
    : CWLDialog(IDD_SERVER), bAccepted(0), bHttp(0), pCorrection(pCorrection), pPrompt(pPrompt) {
  bAutoDelete = FALSE;
}

LRESULT CSorbelDlg::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    OnInitDialog();
    return FALSE;  // the focus is set
  }
  if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    if (ValidateServer()) EndModal(IDOK);
    return TRUE;
  }
  if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    bAccepted = 0;
    EndModal(IDCANCEL);
    return TRUE;
  }
  return CWLDialog::WindowProc(uMsg, wParam, lParam);
}

void CSorbelDlg::OnInitDialog() {
  if (bHttp && sHost.IsEmpty()) sHost = "http://";
  SetDlgItemTextA(hWnd, IDC_SERVER_NAME, sName);
  SetDlgItemTextA(hWnd, IDC_SERVER_HOST, sHost);
  HWND hName = GetDlgItem(hWnd, IDC_SERVER_NAME);
  SetFocus(hName);
  SendMessageA(hName, EM_SETSEL, 0, -1);
}

BOOL CSorbelDlg::ValidateServer() {
  sName = CleanEntryText(GetItem(IDC_SERVER_NAME)->GetText());
  sHost = CleanEntryText(GetItem(IDC_SERVER_HOST)->GetText());
  if (sName.IsEmpty() || sHost.IsEmpty()) {
    Tell(IDS_ENTRY_INCOMPLETE);
    return 0;
  }
  // Without the program's correction object the run leaves no line.
  CTimeCorrection unlogged(nullptr);
  CTimeCorrection* pRun = pCorrection != nullptr ? pCorrection : &unlogged;
  BOOL bAnswered = bHttp ? pRun->CheckTimeHttp(sHost, kHttpTestLimitMs, 0, FALSE)
                         : pRun->CheckTimeNtp(sHost, kNtpTestLimitMs, 0, FALSE);
  if (!bAnswered) {
    Tell(bHttp ? IDS_NOT_HTTP_SERVER : IDS_NOT_NTP_SERVER);
    return 0;
  }
  bAccepted = 1;
  return 1;
}

void CSorbelDlg::Tell(UINT nTextId) {
  CCharString sText = pApp != nullptr ? pApp->LoadResString(nTextId) : CCharString();
  if (pPrompt != nullptr) pPrompt->MessageBox(sText, MB_OK);
}
