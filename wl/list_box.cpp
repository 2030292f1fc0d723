#include "wl/list_box.h"

#include <string.h>

BOOL CWLListBox::PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) {
  strcpy(pszClass, "LISTBOX");
  *pdwStyle |= WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
  *pdwExStyle |= WS_EX_CLIENTEDGE;
  return TRUE;
}

int CWLListBox::AddItem(LPCSTR pszText, LPARAM lData) {
  int nIndex = static_cast<int>(SendMessageA(hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszText)));
  if (nIndex >= 0) SetItemData(nIndex, lData);
  return nIndex;
}

int CWLListBox::InsertItem(int nIndex, LPCSTR pszText, LPARAM lData) {
  int nNew = static_cast<int>(SendMessageA(hWnd, LB_INSERTSTRING, nIndex, reinterpret_cast<LPARAM>(pszText)));
  if (nNew >= 0) SetItemData(nNew, lData);
  return nNew;
}

CCharString CWLListBox::GetItemText(int nIndex) {
  CCharString sText;
  LRESULT nLength = SendMessageA(hWnd, LB_GETTEXTLEN, nIndex, 0);
  if (nLength == LB_ERR) return sText;
  char* pBuffer = sText.GetBuffer(static_cast<int>(nLength) + 2);
  if (pBuffer == nullptr) return sText;
  pBuffer[0] = '\0';
  SendMessageA(hWnd, LB_GETTEXT, nIndex, reinterpret_cast<LPARAM>(pBuffer));
  sText.ReleaseBuffer();
  return sText;
}

int CWLListBox::GetItemCount() const { return static_cast<int>(SendMessageA(hWnd, LB_GETCOUNT, 0, 0)); }

LPARAM CWLListBox::GetItemData(int nIndex) const { return SendMessageA(hWnd, LB_GETITEMDATA, nIndex, 0); }

BOOL CWLListBox::SetItemData(int nIndex, LPARAM lData) {
  return SendMessageA(hWnd, LB_SETITEMDATA, nIndex, lData) != LB_ERR;
}

int CWLListBox::GetCurSel() const { return static_cast<int>(SendMessageA(hWnd, LB_GETCURSEL, 0, 0)); }

int CWLListBox::SetCurSel(int nIndex) { return static_cast<int>(SendMessageA(hWnd, LB_SETCURSEL, nIndex, 0)); }

int CWLListBox::DeleteString(int nIndex) { return static_cast<int>(SendMessageA(hWnd, LB_DELETESTRING, nIndex, 0)); }

void CWLListBox::ResetContent() { SendMessageA(hWnd, LB_RESETCONTENT, 0, 0); }
