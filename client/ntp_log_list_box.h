#pragma once
// The main window's run-log list ("loglist"): an owner-drawn list of
// NTP_ACTIONLOG_INFO entries. It is its own log view and carries the log
// (AddLog, the counters, bSaveLog, the log file), so the correction runs
// write into it as into any CActionLog.
#include "client/action_log.h"
#include "wl/owner_draw_list_box.h"

class CNTPLogListBox : public CWLOwnerDrawListBox, public CLogListView, public CActionLog {
 public:
  // pszDataFolder ends in a backslash; "ntpaccess.log" is written there.
  explicit CNTPLogListBox(const char* pszDataFolder);
  // Closes the log file.
  ~CNTPLogListBox() override;

  int GetCount() override;
  void DeleteItem(int nIndex) override;
  int AddItem(NTP_ACTIONLOG_INFO* pEntry) override;
  void SetSelection(int nIndex) override;

  using CWLListBox::AddItem;
  using CWLOwnerDrawListBox::DeleteItem;
};
