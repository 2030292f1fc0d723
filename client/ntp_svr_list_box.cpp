#include "client/ntp_svr_list_box.h"

#include "client/res/image_ids.h"

LRESULT CNTPSvrListBox::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_CREATE) SetImageList(IDB_SERVER, 15, RGB(255, 0, 255));
  return CWLOwnerDrawListBox::WindowProc(uMsg, wParam, lParam);
}

int CNTPSvrListBox::GetCount() const { return hWnd != nullptr ? GetItemCount() : 0; }

NTP_SERVER_INFO* CNTPSvrListBox::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return nullptr;
  return dynamic_cast<NTP_SERVER_INFO*>(GetItemObject(nIndex));
}

int CNTPSvrListBox::AddItem(NTP_SERVER_INFO* pEntry) {
  if (pEntry == nullptr || hWnd == nullptr) return -1;
  return CWLListBox::AddItem("", reinterpret_cast<LPARAM>(static_cast<CWLOwnerDrawItemData*>(pEntry)));
}

BOOL CNTPSvrListBox::DeleteItem(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) return FALSE;
  // The selection follows the entries it keeps, as in the plain list.
  int nSelected = GetCurSel();
  DeleteString(nIndex);
  if (nSelected == nIndex) {
    SetCurSel(-1);
  } else if (nSelected > nIndex) {
    SetCurSel(nSelected - 1);
  }
  return TRUE;
}

void CNTPSvrListBox::DeleteAll() {
  if (hWnd != nullptr) ResetContent();
}

int CNTPSvrListBox::GetSelection() const { return hWnd != nullptr ? GetCurSel() : -1; }

int CNTPSvrListBox::SetSelection(int nIndex) {
  if (hWnd == nullptr) return -1;
  if (nIndex < 0 || nIndex >= GetCount()) nIndex = -1;
  SetCurSel(nIndex);
  return nIndex;
}

BOOL CNTPSvrListBox::MoveEntry(int nFrom, int nTo) {
  if (nFrom < 0 || nFrom >= GetCount() || nTo < 0 || nTo >= GetCount()) return FALSE;
  return SetSelection(MoveItem(nFrom, nTo)) >= 0;
}
