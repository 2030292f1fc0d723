#include "wl/menu.h"

CWLMenu::CWLMenu(HMENU h) : hMenu(h), nFlags(MF_BYPOSITION) {}

CWLMenu::~CWLMenu() {}

int CWLMenu::GetItemCount() { return GetMenuItemCount(hMenu); }

UINT CWLMenu::GetItemID(int nPos) { return GetMenuItemID(hMenu, nPos); }

BOOL CWLMenu::IsCommandItem(int nPos) {
  return GetItemID(nPos) != static_cast<UINT>(-1) && !(GetState(nPos) & MF_SEPARATOR);
}

UINT CWLMenu::GetState(int nPos) { return GetMenuState(hMenu, static_cast<UINT>(nPos), nFlags); }

UINT CWLMenu::SetState(int nPos, UINT nWanted, HWND hWnd) {
  UINT nOld = GetState(nPos);
  UINT uPos = static_cast<UINT>(nPos);
  if ((nOld ^ nWanted) & MF_CHECKED) CheckMenuItem(hMenu, uPos, nFlags | (nWanted & MF_CHECKED));
  // A disabled item counts as grayed: enabling clears both.
  bool bGrayed = (nOld & (MF_GRAYED | MF_DISABLED)) != 0;
  if (bGrayed != ((nWanted & MF_GRAYED) != 0)) {
    EnableMenuItem(hMenu, uPos, nFlags | ((nWanted & MF_GRAYED) ? MF_GRAYED : MF_ENABLED));
  }
  if (hWnd != nullptr && ((nOld ^ nWanted) & MF_HILITE)) {
    HiliteMenuItem(hWnd, hMenu, uPos, nFlags | (nWanted & MF_HILITE));
  }
  return nOld;
}

UINT CWLMenu::SetCheck(int nPos, BOOL bOn) {
  UINT nState = GetState(nPos);
  return SetState(nPos, bOn ? nState | MF_CHECKED : nState & ~MF_CHECKED);
}

UINT CWLMenu::SetEnable(int nPos, BOOL bOn) {
  UINT nState = GetState(nPos);
  return SetState(nPos, bOn ? nState & ~MF_GRAYED : nState | MF_GRAYED);
}

UINT CWLMenu::SetHilite(int nPos, BOOL bOn, HWND hWnd) {
  UINT nState = GetState(nPos);
  return SetState(nPos, bOn ? nState | MF_HILITE : nState & ~MF_HILITE, hWnd);
}

int CWLMenu::FindItem(UINT nId) {
  int nCount = GetItemCount();
  for (int nPos = 0; nPos < nCount; ++nPos) {
    if (GetItemID(nPos) == nId) return nPos;
  }
  return -1;
}
