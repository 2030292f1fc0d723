#pragma once
// The dialog that registers or edits one server of the list (template 135).
// A server is accepted only after it answered a test run, which leaves its
// line in the run log like every run; the clock is never set by it.
#include "base/char_string.h"
#include "client/sys/user_prompt.h"
#include "core/time_correction.h"
#include "wl/dialog.h"

class CSorbelDlg : public CWLDialog {
 public:
  static constexpr int kNtpTestLimitMs = 3000;
  static constexpr int kHttpTestLimitMs = 6000;

  // pCorrection makes the test runs; pPrompt shows the messages. Neither is
  // owned. The object outlives its window: it is read after DoModal.
  CSorbelDlg(CTimeCorrection* pCorrection, CUserPrompt* pPrompt);

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // The OK button: both fields filled and the server answering. 1 when
  // the entry is accepted (bAccepted is set then).
  BOOL ValidateServer();

  BOOL bAccepted;
  CCharString sName;
  CCharString sHost;
  BOOL bHttp;  // the entry is a URL of the HTTP list

 private:
  void OnInitDialog();
  void Tell(UINT nTextId);

  CTimeCorrection* pCorrection;
  CUserPrompt* pPrompt;
};
