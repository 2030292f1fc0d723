#pragma once
// A list box control with item texts and item data.
#include "wl/gui_ctrl.h"

class CWLListBox : public CWLGUICtrl {
 public:
  BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) override;

  // The new index (negative on failure: no item data is set then).
  int AddItem(LPCSTR pszText, LPARAM lData = 0);
  int InsertItem(int nIndex, LPCSTR pszText, LPARAM lData = 0);
  // Empty for an index outside the list.
  CCharString GetItemText(int nIndex);

  int GetItemCount() const;
  // LB_ERR outside the list.
  LPARAM GetItemData(int nIndex) const;
  BOOL SetItemData(int nIndex, LPARAM lData);
  // -1 when none is selected.
  int GetCurSel() const;
  // -1 clears the selection; LB_ERR when nIndex is outside the list.
  int SetCurSel(int nIndex);
  // The remaining count, or LB_ERR.
  int DeleteString(int nIndex);
  void ResetContent();
};
