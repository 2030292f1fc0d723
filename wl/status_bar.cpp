#include "wl/status_bar.h"

#include <windows.h>

#include <commctrl.h>
#include <string.h>

#include <vector>

BOOL CWLStatusBar::SetParts(int nCount, const int* pWidths) {
  if (nCount <= 0 || pWidths == nullptr) return FALSE;
  std::vector<int> aEdges(pWidths, pWidths + nCount);
  // Parts beyond the count take no space in the sum.
  int w0 = aEdges[0], w1 = nCount > 1 ? aEdges[1] : 0, w2 = nCount > 2 ? aEdges[2] : 0;
  RECT rc = {0, 0, 0, 0};
  GetWindowRect(hWnd, &rc);
  int nTotal = rc.right - rc.left;
  int nFixed = (w0 > 0 ? w0 : 0) + (w1 >= 0 ? w1 : 0);
  int nFlexible = -1;
  if (w2 < 0) {
    nFlexible = 2;
  } else if (w1 < 0) {
    nFlexible = 1;
  } else if (w0 < 0) {
    nFlexible = 0;
  }
  if (nFlexible >= 0) {
    int nRest = nFlexible == 2 ? nTotal - nFixed : nTotal - nFixed - w2;
    aEdges[nFlexible] = nRest > 0 ? nRest : 0;
  }
  for (int i = 1; i < nCount; ++i) aEdges[i] += aEdges[i - 1];
  return SendMessageA(hWnd, SB_SETPARTS, nCount, reinterpret_cast<LPARAM>(aEdges.data())) != 0;
}

BOOL CWLStatusBar::SetText(int nPart, LPCSTR pszText) {
  return SendMessageA(hWnd, SB_SETTEXTA, nPart, reinterpret_cast<LPARAM>(pszText)) != 0;
}

BOOL CWLStatusBarEx::PreCreate(char* pszClass, DWORD* pdwStyle, DWORD*) {
  strcpy(pszClass, STATUSCLASSNAMEA);
  *pdwStyle |= 0x10;
  return TRUE;
}
