#pragma once
// An object for an existing control that has none (GetItem): it can only be
// attached, never created.
#include "wl/gui_ctrl.h"

class CWLAttachCtrl : public CWLGUICtrl {
 public:
  BOOL PreCreate(char*, DWORD*, DWORD*) override { return FALSE; }
};
