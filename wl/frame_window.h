#pragma once
// The programs' main window: its own window class, layout, notifications,
// command help, and the command states of its menus and child controls.
#include "wl/main_window.h"

class CWLCmdState;
class CWLStatusBar;

enum { WM_WL_UPDATE_CHILD_CMD_STATES = WM_APP + 1 };  // posted to itself at WM_CREATE

class CWLFrameWindow : public CWLMainWindow {
 public:
  // The class name is "WLFRAME_<tick count>_<sequence>"; a program may set
  // a fixed one in its own constructor.
  CWLFrameWindow();

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // A hidden WS_OVERLAPPEDWINDOW of the frame's class.
  BOOL Create(CWLWindow* pParent) override;
  // Registers the class once (from the application's class information),
  // then creates the window; FALSE on any failure.
  virtual BOOL CreateFrame(CWLApp* pApp);
  virtual BOOL PreRegisterClass(WNDCLASSEXA* pClass);
  // The program's answer for one command: Enable and/or Check on pState.
  virtual void UpdateCmdState(CWLCmdState* pState);
  // Asks UpdateCmdState for every command item of the menu.
  virtual void OnInitMenu(HMENU hMenu);
  virtual void OnMenuSelect(UINT nId, UINT nFlags, HMENU hMenu);
  // TRUE ends the processing of WM_NOTIFY.
  virtual BOOL OnNotify(UINT nId, NMHDR* pHeader);
  // Asks UpdateCmdState for the frame's buttons and toolbar buttons and
  // UpdateStatusBar for its status bar.
  virtual void UpdateChildCmdStates();
  virtual void UpdateStatusBar(CWLStatusBar* pStatusBar);
  virtual void ShowCommandHelp(UINT nId);
  // TRUE ends the processing of WM_SIZE.
  virtual BOOL OnSize(int cx, int cy, UINT nType);

  CCharString sClassName;
  BOOL bClassRegistered;
};
