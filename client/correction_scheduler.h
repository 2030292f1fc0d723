#pragma once
// When the clock is compared and against which server: runs on request
// (test or applied), periodic runs on a one-second timer with fail-over and
// rotation over the server list, the gradual hold-back of a clock that runs
// ahead, power resume, received broadcasts, the status texts and the
// start-up steps. Plain logic on the main window's thread: the window
// reaches it through its timer, commands and messages, and gives it the
// little it needs through CSchedulerWindow.
#include <windows.h>

#include "base/char_string.h"
#include "client/action_log.h"
#include "client/broadcast_reception.h"
#include "client/client_settings.h"
#include "core/time_correction.h"
#include "wl/cmd_state.h"

// What the scheduler needs of the main window.
class CSchedulerWindow {
 public:
  virtual ~CSchedulerWindow() {}
  // SetTimer on the window without callback; its result (0 on failure).
  virtual UINT_PTR SetTimer(UINT_PTR nId, UINT nElapseMs) = 0;
  virtual void KillTimer(UINT_PTR nId) = 0;
  // Posts WM_COMMAND nId to the window.
  virtual void PostCommand(UINT nId) = 0;
  // Status-bar part nPart shows pszText.
  virtual void SetStatusText(int nPart, const char* pszText) = 0;
  // The automatic network diagnosis of command 32796; the scheduler's
  // first-start follow-up comes after it, whatever its outcome.
  virtual void RunDiagnosis() {}
};

class CCorrectionScheduler {
 public:
  static constexpr UINT_PTR kTimerId = 100;
  static constexpr UINT kTimerPeriodMs = 1000;
  static constexpr LONG kSlewStepMs = 350;
  static constexpr int kSlewStepsPerTick = 2;

  // None is owned. pConfig holds the settings and the server list (the
  // panel); pCorrection makes the runs and judges broadcasts (pReception
  // must use the same one, so that both share nSlewMSec); pLog counts the
  // runs. pReception may be nullptr (no broadcast listening).
  CCorrectionScheduler(CClientConfig* pConfig, CTimeCorrection* pCorrection, const CActionLog* pLog,
                       CSchedulerWindow* pWindow, CBroadcastReception* pReception = nullptr);

  // One run over the server list from the selected entry until a server
  // answers; bApply 0 is a test run that never sets the clock. 1 when a
  // server gave a usable answer.
  BOOL RunCorrection(BOOL bApply);
  void StartPeriodic();
  void StopPeriodic();
  BOOL IsRunning() const { return nTimerID != 0; }
  // WM_TIMER: TRUE when nId is the periodic timer (the message is consumed).
  BOOL OnTimer(UINT_PTR nId);
  // WM_POWERBROADCAST: after a resume the next tick makes a run.
  void OnPowerBroadcast(WPARAM wParam);
  // WM_NTP_BROADCAST: the received broadcast judged and perhaps applied.
  LRESULT OnNtpBroadcast(WPARAM wParam, LPARAM lParam);
  // The commands of the scheduler (test, start/stop, stop, diagnosis with
  // its first-start follow-up, broadcast listening); TRUE when nId is one.
  BOOL OnCommand(UINT nId);
  // Enabled and checked states of those commands; TRUE when nId is one.
  BOOL UpdateCmdState(CWLCmdState* pState);
  // Status-bar parts 1 (run counts) and 2 (countdown).
  void UpdateStatusBar();
  // The last steps of the main window's creation.
  void StartUp();
  // The window goes: periodic runs and the listener stop.
  void OnDestroy();

  CCharString GetRunCountText() const;
  CCharString GetCountdownText() const;

  UINT_PTR nTimerID;  // 0 while stopped
  DWORD nElapsedSec;  // ticks since the start or the last periodic run

 private:
  void HoldBack();
  int EntryOfHost(int nHost) const;
  int HostOfEntry(int nEntry) const;

  CClientConfig* pConfig;
  CTimeCorrection* pCorrection;
  const CActionLog* pLog;
  CSchedulerWindow* pWindow;
  CBroadcastReception* pReception;
};
