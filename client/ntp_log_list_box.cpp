#include "client/ntp_log_list_box.h"

CNTPLogListBox::CNTPLogListBox(const char* pszDataFolder) : CActionLog(this, pszDataFolder) {}

CNTPLogListBox::~CNTPLogListBox() {}

int CNTPLogListBox::GetCount() { return hWnd != nullptr ? GetItemCount() : 0; }

void CNTPLogListBox::DeleteItem(int nIndex) {
  if (hWnd != nullptr) DeleteString(nIndex);
}

int CNTPLogListBox::AddItem(NTP_ACTIONLOG_INFO* pEntry) {
  if (pEntry == nullptr || hWnd == nullptr) return -1;
  return CWLListBox::AddItem("", reinterpret_cast<LPARAM>(static_cast<CWLOwnerDrawItemData*>(pEntry)));
}

void CNTPLogListBox::SetSelection(int nIndex) {
  if (hWnd != nullptr) SetCurSel(nIndex);
}
