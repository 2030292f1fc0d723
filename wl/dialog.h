#pragma once
// A dialog from a template, modal or modeless (also as a child panel). Its
// controls get objects from CreateChildObject: those of the template through
// a hook during creation, later ones through WM_PARENTNOTIFY.
// A modal dialog that is read after DoModal returns must clear bAutoDelete
// (it is deleted with its window otherwise).
#include "wl/window.h"

class CWLGUICtrl;

class CWLDialog : public CWLWindow {
 public:
  explicit CWLDialog(UINT nTemplateId);

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // 0: the message is left to the dialog manager.
  LRESULT DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // Modeless; TRUE when the window was made.
  BOOL Create(CWLWindow* pParent) override;
  // The DialogBoxParamA result.
  virtual INT_PTR DoModal(CWLWindow* pParent);
  // A modeless child at the placement with control identifier nId; a
  // negative width or height keeps the dialog's own.
  virtual BOOL CreateChild(CWLWindow* pParent, int x, int y, int cx, int cy, UINT nId);
  virtual BOOL EndModal(INT_PTR nResult);
  // The object for a new control, or nullptr for none.
  virtual CWLGUICtrl* CreateChildObject(HWND hChild, UINT nId);
  // For nCode WM_CREATE and a child without object: attaches the object of
  // CreateChildObject; TRUE when one was attached.
  virtual BOOL AttachChild(UINT nCode, UINT nId, HWND hChild);

  UINT nTemplateId;
  BOOL bModal;

 private:
  // Creates the window around the child-object hook; modal or modeless.
  INT_PTR CreateWithHook(CWLWindow* pParent, BOOL bModalDialog);
};
