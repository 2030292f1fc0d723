#pragma once
// One entry of a server list, and the in-memory list that owns the entries
// together with its selection. The panel's list control (CNTPSvrListBox)
// takes this list's place by deriving from CServerList.
#include "base/char_string.h"
#include "base/string_array.h"
#include "wl/owner_draw_item.h"

class NTP_SERVER_INFO : public CWLOwnerDrawItemData {
 public:
  NTP_SERVER_INFO();
  NTP_SERVER_INFO(const char* pszProtocolName, const char* pszName, const char* pszHost);
  ~NTP_SERVER_INFO() override;
  // "name (host)".
  CCharString GetText() override;

  CCharString sProtocolName;  // "ntp" or "http": the list file it came from
  CCharString sName;
  CCharString sHost;
  int nState;
};

class CServerList {
 public:
  CServerList();
  virtual ~CServerList();
  CServerList(const CServerList&) = delete;
  CServerList& operator=(const CServerList&) = delete;

  virtual int GetCount() const;
  // nullptr outside the list.
  virtual NTP_SERVER_INFO* GetAt(int nIndex) const;
  // Appends an entry that the list owns from then on; its index, or -1 (the
  // caller still owns the entry then).
  virtual int AddItem(NTP_SERVER_INFO* pEntry);
  // Removes and frees the entry; the selection follows the entries it keeps.
  virtual BOOL DeleteItem(int nIndex);
  virtual void DeleteAll();
  // The selected index, or -1 when none is selected.
  virtual int GetSelection() const;
  // An index outside the list clears the selection; the new selection.
  virtual int SetSelection(int nIndex);
  // Moves entry nFrom to position nTo (both inside the list) and selects
  // it; FALSE (nothing changed) otherwise.
  virtual BOOL MoveEntry(int nFrom, int nTo);
  // Whether the list goes with its own window (a list control), so that
  // whoever holds it only refers to it.
  virtual bool DeletesItself() const { return false; }

 private:
  Array<NTP_SERVER_INFO*> aEntries;  // owned
  int nSelection;
};
