#pragma once
// The status bar: parts whose widths may leave one part to take the rest.
#include "wl/gui_ctrl.h"

class CWLStatusBar : public CWLGUICtrl {
 public:
  // Widths of up to three parts; a negative width marks the part that takes
  // what the others leave (the last such part of 2, 1, 0 in that order).
  BOOL SetParts(int nCount, const int* pWidths);
  BOOL SetText(int nPart, LPCSTR pszText);
};

class CWLStatusBarEx : public CWLStatusBar {
 public:
  BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) override;
};
