#pragma once
// Vantro's main window: the settings panel over the run log, the toolbar,
// the status bar and the tray icon; the menu's commands; the scheduler's
// timer, power and broadcast messages. The correction runs, the scheduler
// and the broadcast reception are objects of their own that the window
// owns and wires together when it is created.
#include <windows.h>

#include <memory>

#include "client/app_folders.h"
#include "client/broadcast_reception.h"
#include "client/client_correction_host.h"
#include "client/correction_scheduler.h"
#include "client/ntp_config_bar.h"
#include "client/ntp_log_list_box.h"
#include "client/window_prompt.h"
#include "core/time_correction.h"
#include "wl/frame_window.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl/tray_icon.h"

class CVantro : public CWLFrameWindow, public CSchedulerWindow {
 public:
  static const char* const kClassName;  // the single-instance key
  // The diagnosis' public NTP server and web site, and the maker's
  // update-information page; the settings may name others.
  static const char* const kDiagnosisNtpServer;
  static const char* const kDiagnosisWebSite;
  static const char* const kUpdateInfoUrl;

  // pFolders (not owned, may be nullptr for the running program's folders)
  // gets the data folder chosen at creation.
  explicit CVantro(CAppFolders* pFolders);
  // Stops the socket library (when the constructor started it).
  ~CVantro() override;

  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCreate(CREATESTRUCTA* pCreate) override;
  // Tray icon away, periodic runs and the listener stopped.
  void OnDestroy() override;
  LRESULT OnCommand(UINT nNotifyCode, UINT nId, HWND hControl) override;
  void UpdateCmdState(CWLCmdState* pState) override;
  void UpdateStatusBar(CWLStatusBar* pStatusBar) override;
  // Status-bar part 0: the command's help text.
  void ShowCommandHelp(UINT nId) override;
  // Toolbar on top, status bar at the bottom, panel below the toolbar and
  // the run log in the rest.
  BOOL OnSize(int cx, int cy, UINT nType) override;
  // A left click on the tray icon (or a second instance) shows the window.
  virtual void OnTrayNotify(WPARAM wParam, LPARAM lParam);
  // TRUE for the periodic timer's tick.
  virtual BOOL OnTimer(UINT_PTR nId);

  // Registers (TRUE) or removes the program as a Windows service through
  // the maker's tool beside it; TRUE when the tool was started.
  BOOL RunServiceTool(BOOL bInstall);
  // Writes or deletes the start-up shortcut, for all users or the current
  // one as the user chooses where that is possible.
  void SetStartupShortcut(BOOL bRegister);
  // Guides the user to a protocol that works here; 1 when one was set up.
  BOOL RunAutoDiagnosis();

  // The scheduler's window.
  UINT_PTR SetTimer(UINT_PTR nId, UINT nElapseMs) override;
  void KillTimer(UINT_PTR nId) override;
  void PostCommand(UINT nId) override;
  void SetStatusText(int nPart, const char* pszText) override;
  void RunDiagnosis() override;

  BOOL bServiceMode;             // started with "/service"
  CNTPConfigBar* pConfigBar;     // child windows: each goes with its window
  CWLToolBarEx* pToolBar;
  CWLStatusBarEx* pStatusBar;
  CNTPLogListBox* pLogList;
  std::unique_ptr<CTrayIcon> pTrayIcon;
  std::unique_ptr<CClientCorrectionHost> pCorrectionHost;
  std::unique_ptr<CTimeCorrection> pCorrection;  // holds nSlewMSec
  std::unique_ptr<CBroadcastReception> pReception;  // holds the listener and pktBroadcast
  std::unique_ptr<CCorrectionScheduler> pScheduler;  // holds nTimerID and nElapsedSec

 private:
  // Toolbar, status bar and run-log list; FALSE without the list.
  BOOL CreateChildren();
  void OnServerCommand(UINT nId);
  // The setting when the settings name one, else the built-in address.
  const char* AddressOr(const CCharString& sSetting, const char* pszBuiltIn) const;
  BOOL Ask(const char* pszText, UINT uType, int nGoOn);
  BOOL Ask(UINT nTextId, UINT uType, int nGoOn);

  CAppFolders* pFolders;
  CAppFolders ownFolders;  // when none were given
  CWindowPrompt prompt;    // boxes of the reception and the elevation notice
  BOOL bCloseDeferred;
  BOOL bStartedWinsock;
};
