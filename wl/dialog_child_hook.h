#pragma once
// Installed around the creation of a dialog: binds objects to the controls
// that the dialog manager makes from the template, as each one is created.
#include "wl/windows_hook.h"

class CWLDialog;

class CWLDialogMsgChildHook : public CWindowsHook {
 public:
  explicit CWLDialogMsgChildHook(CWLDialog* pDialog);
  LRESULT HookProc(int nCode, WPARAM wParam, LPARAM lParam) override;

  CWLDialog* pDialog;

 private:
  // The dialog's own window: the first one made while the hook is on (a
  // template without font gives the dialog no message before its controls).
  HWND hDialogWnd;
};
