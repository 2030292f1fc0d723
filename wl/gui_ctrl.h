#pragma once
// A control: created by the program or attached to an existing window by
// subclassing it. Notifications its parent reflects arrive at OnReflect.
#include "wl/window.h"

class CWLGUICtrl : public CWLWindow {
 public:
  CWLGUICtrl();
  // Gives a window that outlives the object its own procedure back.
  ~CWLGUICtrl() override;

  // Reflected notifications to OnReflect, the rest to the control.
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // The control's own procedure.
  LRESULT DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // Controls are made with CreateCtrl.
  BOOL Create(CWLWindow* pParent) override;
  // A visible tab stop of PreCreate's class; a child of pParent when given.
  virtual BOOL CreateCtrl(CWLWindow* pParent, int x, int y, int cx, int cy, LPCSTR pszText, UINT nId);
  // Subclasses the window and binds it to this object; FALSE when it already
  // has an object.
  virtual BOOL Attach(HWND hControl);
  // Fills the class name (256 bytes) and adjusts the styles; FALSE aborts.
  virtual BOOL PreCreate(char* pszClass, DWORD* pdwStyle, DWORD* pdwExStyle) = 0;
  // Non-zero ends the parent's processing of the notification.
  virtual LRESULT OnReflect(UINT uMsg, WPARAM wParam, LPARAM lParam);

  WNDPROC pfnPrevWndProc;
};
