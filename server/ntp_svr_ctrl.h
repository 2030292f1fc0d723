#pragma once
// The time server's main window. It is never shown: it owns the settings,
// the tray icon whose popup menu is the program's whole user interface, and,
// being the server engine itself, the responder and the broadcast timer. The
// engine's questions become this window's message boxes, its timer this
// window's timer 120.
#include <windows.h>

#include <memory>

#include "server/server_engine.h"
#include "wl/frame_window.h"
#include "wl/tray_icon.h"

class CNTPSvrCtrl : public CWLFrameWindow, private CServerTimer, public CServerEngine {
 public:
  static const char* const kClassName;      // the single-instance key
  static const char* const kUpdateInfoUrl;  // the maker's update-information page

  CNTPSvrCtrl();
  ~CNTPSvrCtrl() override;  // writes the settings

  BOOL PreTranslateMessage(MSG* pMsg) override;
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCreate(CREATESTRUCTA* pCreate) override;
  void OnDestroy() override;
  LRESULT OnCommand(UINT nNotifyCode, UINT nId, HWND hControl) override;
  void UpdateCmdState(CWLCmdState* pState) override;
  void UpdateStatusBar(CWLStatusBar* pStatusBar) override;
  void ShowCommandHelp(UINT nId) override;
  // TRUE for the broadcast timer's tick.
  virtual BOOL OnTimer(UINT_PTR nId);

  // Registers (TRUE) or removes the program as a Windows service through the
  // maker's tool beside it; TRUE when the tool could be started.
  BOOL RunServiceTool(BOOL bInstall);
  // The tray menu on a left or right button release.
  void OnTrayNotify(WPARAM wParam, LPARAM lParam);

  std::unique_ptr<CTrayIcon> pTrayIcon;

 protected:
  // A message box owned by this window, with its title as caption.
  int AskUser(const char* pszText, UINT uType) override;
  void BringToFront() override;

 private:
  UINT_PTR SetTimer(UINT_PTR nId, UINT nMs) override;
  BOOL KillTimer(UINT_PTR nId) override;

  // While the window waits for one of its own message boxes (or is being
  // created), a close request waits too: the box returns into this object.
  void EnterBusy();
  void LeaveBusy();  // carries out a close request that waited

  BOOL bWinsockStarted;
  int nBusyDepth;
  BOOL bCloseDeferred;
};
