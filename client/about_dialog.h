#pragma once
// The application information box (template 136): the program icon, its
// name and version; OK closes it.
#include "wl/dialog.h"

class CAboutDlg : public CWLDialog {
 public:
  CAboutDlg();
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
};
