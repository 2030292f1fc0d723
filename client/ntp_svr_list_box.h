#pragma once
// The settings panel's server list (control 1005): an owner-drawn list whose
// items are the NTP_SERVER_INFO entries, each shown with the server symbol.
// It is the CServerList the settings work on; as a window object it deletes
// itself with its window, so the settings only refer to it.
#include "client/server_info.h"
#include "wl/owner_draw_list_box.h"

class CNTPSvrListBox : public CWLOwnerDrawListBox, public CServerList {
 public:
  // The image list is made on WM_CREATE, before the rows are measured.
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

  int GetCount() const override;
  NTP_SERVER_INFO* GetAt(int nIndex) const override;
  // -1 without a window or when the list refuses the entry (the caller
  // still owns it then).
  int AddItem(NTP_SERVER_INFO* pEntry) override;
  BOOL DeleteItem(int nIndex) override;
  void DeleteAll() override;
  int GetSelection() const override;
  int SetSelection(int nIndex) override;
  BOOL MoveEntry(int nFrom, int nTo) override;
  bool DeletesItself() const override { return bAutoDelete != 0; }

  using CWLListBox::AddItem;
  using CWLOwnerDrawListBox::DeleteItem;
};
