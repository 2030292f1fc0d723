#include "client/server_info.h"

NTP_SERVER_INFO::NTP_SERVER_INFO() : nState(0) { nImage = 0; }

NTP_SERVER_INFO::NTP_SERVER_INFO(const char* pszProtocolName, const char* pszName, const char* pszHost)
    : sProtocolName(pszProtocolName), sName(pszName), sHost(pszHost), nState(0) {
  nImage = 0;
}

NTP_SERVER_INFO::~NTP_SERVER_INFO() {}

CCharString NTP_SERVER_INFO::GetText() {
  CCharString sText;
  sText.Format("%s (%s)", static_cast<const char*>(sName), static_cast<const char*>(sHost));
  return sText;
}

CServerList::CServerList() : nSelection(-1) {}

CServerList::~CServerList() { CServerList::DeleteAll(); }

int CServerList::GetCount() const { return aEntries.GetCount(); }

NTP_SERVER_INFO* CServerList::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return nullptr;
  return aEntries.GetAt(nIndex);
}

int CServerList::AddItem(NTP_SERVER_INFO* pEntry) {
  if (pEntry == nullptr) return -1;
  return aEntries.Add(pEntry);
}

BOOL CServerList::DeleteItem(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
  delete aEntries.GetAt(nIndex);
  aEntries.RemoveAt(nIndex);
  if (nSelection == nIndex) {
    nSelection = -1;
  } else if (nSelection > nIndex) {
    --nSelection;
  }
  return TRUE;
}

void CServerList::DeleteAll() {
  for (int i = 0; i < aEntries.GetCount(); ++i) delete aEntries.GetAt(i);
  aEntries.RemoveAll();
  nSelection = -1;
}

int CServerList::GetSelection() const { return nSelection; }

int CServerList::SetSelection(int nIndex) {
  nSelection = nIndex >= 0 && nIndex < GetCount() ? nIndex : -1;
  return nSelection;
}

BOOL CServerList::MoveEntry(int nFrom, int nTo) {
  if (nFrom < 0 || nFrom >= GetCount() || nTo < 0 || nTo >= GetCount()) return FALSE;
  NTP_SERVER_INFO* pEntry = aEntries.GetAt(nFrom);
  aEntries.RemoveAt(nFrom);
  if (!aEntries.InsertAt(nTo, pEntry)) {  // out of memory: the entry is gone
    delete pEntry;
    nSelection = -1;
    return FALSE;
  }
  nSelection = nTo;
  return TRUE;
}
