#pragma once
// A dialog that asks for one line of text (template 132), with a caption
// and a prompt of the caller's.
#include "base/char_string.h"
#include "wl/dialog.h"
#include "wl/gui_ctrl.h"

class CWLInputDialog : public CWLDialog {
 public:
  // The object outlives its window: it is read after DoModal.
  CWLInputDialog();

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  CWLGUICtrl* CreateChildObject(HWND hChild, UINT nId) override;

  BOOL bAccepted;
  CCharString sText;
  CCharString sTitle;
  CCharString sPrompt;
  CWLGUICtrl* pEdit;  // the edit's object; it goes with its window
};

// Shows the dialog owned by pOwner; TRUE when OK was pressed, and *pText is
// then the entered text (as typed: the caller cleans it).
BOOL RunInputDialog(CWLWindow* pOwner, const char* pszCaption, const char* pszPrompt, CCharString* pText);
