#pragma once
// The settings panel at the top of Vantro's main window (template 134): the
// server list on the left, the interval, answer timeout, allowance and three
// options on the right. It holds the settings record with its files and
// moves values between the record and its controls; typed values take
// effect at the next ReadPanel (run, save or start-up), raised to their
// minimums then.
#include "client/client_settings.h"
#include "client/ntp_svr_list_box.h"
#include "client/window_prompt.h"
#include "core/time_correction.h"
#include "wl/dialog.h"

class CNTPConfigBar : public CWLDialog, public CClientConfig {
 public:
  static constexpr int kMinCheckSpan = 15;  // minutes
  static constexpr int kMinTimeout = 100;   // ms
  static constexpr int kMinAllowance = 200;
  static constexpr int kMinHttpTimeout = 800;
  static constexpr int kMinHttpAllowance = 1200;
  static constexpr int kMinProxyTimeout = 1600;

  // Both folders end in a backslash. Without pPrompt the messages go to the
  // panel's top-level window (the main window), captioned with its title.
  CNTPConfigBar(const char* pszDataFolder, const char* pszModuleFolder, CUserPrompt* pPrompt = nullptr);

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // The server list control 1005 gets its CNTPSvrListBox.
  CWLGUICtrl* CreateChildObject(HWND hChild, UINT nId) override;
  // A double click in the server list edits the selected entry. TRUE when
  // the notification was handled.
  virtual BOOL OnCommand(UINT nCode, UINT nId, HWND hCtrl);
  // Up-down ranges, the settings and server list loaded and shown.
  virtual BOOL OnInitDialog();

  // The controls' values into the record, each raised to its minimum, and
  // shown again so; the host list rebuilt. 1.
  BOOL ReadPanel() override;
  BOOL WritePanel() override;

  // The server dialog for a new entry, appended on OK (not selected). 1
  // when an entry was added.
  BOOL AddServer();
  // The server dialog for entry nIndex; 1 when the entry was changed.
  BOOL EditServer(int nIndex);
  // The proxy dialog; the proxy is switched off when no text remains. 1
  // when a non-empty proxy was stored.
  BOOL EditProxy();

  // Makes the server dialog's test runs, so they are logged like every
  // run; not owned. Set by the main window once its run log exists.
  CTimeCorrection* pCorrection;

 private:
  int ReadNumber(UINT nId);
  BOOL RunServerDialog(NTP_SERVER_INFO* pEntry);

  CWindowPrompt promptMainWindow;
  CNTPSvrListBox* pServerBox;
};
