#pragma once
// The enabled and checked state of one command as the program sets it in
// UpdateCmdState, whatever shows the command: a menu item, a button or a
// toolbar button. A request of -1 only asks, 1 switches on, any other value
// off; the result is the state afterwards, 1 or 0.
#include <windows.h>

class CWLMenu;
class CWLWindow;

class CWLCmdState {
 public:
  explicit CWLCmdState(UINT nId) : nCmdId(nId) {}
  virtual int Enable(int nRequest) = 0;
  virtual int Check(int nRequest) = 0;

  UINT nCmdId;

 protected:
  ~CWLCmdState() {}
};

class CWLMenuCmdState : public CWLCmdState {
 public:
  CWLMenuCmdState(UINT nId, CWLMenu* pMenu, int nPos) : CWLCmdState(nId), pTarget(pMenu), nMenuPos(nPos) {}
  int Enable(int nRequest) override;
  int Check(int nRequest) override;

  CWLMenu* pTarget;
  int nMenuPos;
};

class CWLWindowCmdState : public CWLCmdState {
 public:
  CWLWindowCmdState(UINT nId, CWLWindow* pWindow) : CWLCmdState(nId), pTarget(pWindow) {}

  CWLWindow* pTarget;
};

// A push button shows "checked" as pushed in; a check box or radio button as
// its check mark.
class CWLButtonCmdState : public CWLWindowCmdState {
 public:
  using CWLWindowCmdState::CWLWindowCmdState;
  int Enable(int nRequest) override;
  int Check(int nRequest) override;
};

class CWLToolBarCmdState : public CWLWindowCmdState {
 public:
  using CWLWindowCmdState::CWLWindowCmdState;
  int Enable(int nRequest) override;
  int Check(int nRequest) override;
  // Sets or clears the state bits of nMask for the command's button; whether
  // they are set afterwards (0 for a command the toolbar lacks).
  virtual int SetStateBits(int nUnused, int nRequest, UINT nMask);
};
