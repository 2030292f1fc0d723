#pragma once
// A tooltip control owned by its parent window.
#include "wl/gui_ctrl.h"

class CWLToolTip : public CWLGUICtrl {
 public:
  // A popup that always tips, without prefix processing.
  BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) override;
  // A tool for the whole window hTool, with a copy of the text.
  BOOL AddTool(HWND hTool, LPCSTR pszText);
};
