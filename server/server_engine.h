#pragma once
// The server's engine without windows: starts and stops the responder
// (with the handling of a server port that is taken), the periodic and the
// immediate broadcast. The tray controller owns one and lends it its window
// through the two small interfaces below.
#include <windows.h>

#include "client/sys/port_probe.h"
#include "client/sys/user_prompt.h"
#include "core/worker_slot.h"
#include "server/server_settings.h"

class CSorbel;

// Questions and notices (owner and caption are the controller window's), and
// the request to bring that window to the front.
class CServerPrompt : public CUserPrompt {
 public:
  virtual void SetForeground() = 0;
};

// The controller window's timers.
class CServerTimer {
 public:
  virtual ~CServerTimer() {}
  // The timer's handle, 0 when it could not be started.
  virtual UINT_PTR SetTimer(UINT_PTR id, UINT ms) = 0;
  virtual BOOL KillTimer(UINT_PTR id) = 0;
};

class CServerEngine : public CPortProbeHost {
 public:
  static constexpr UINT_PTR kBroadcastTimerId = 120;
  static constexpr UINT kBroadcastTimerMs = 1000;

  // None of the three is owned; prompt and timer may be nullptr (no boxes:
  // every question counts as unanswered; no timer: broadcast mode never fires).
  CServerEngine(CServerSettings* pSettings, CServerPrompt* pPrompt, CServerTimer* pTimer);
  virtual ~CServerEngine();  // stops the timer and the responder
  CServerEngine(const CServerEngine&) = delete;
  CServerEngine& operator=(const CServerEngine&) = delete;

  // Starts (TRUE) or stops the responder. TRUE on success and when there is
  // nothing to do; a port that cannot be had switches bResponseMode off.
  BOOL SetResponseMode(BOOL bOn);
  // Starts or stops the one-second broadcast timer. Always TRUE.
  BOOL SetBroadcastMode(BOOL bOn);
  // One broadcast packet to dwBroadcastAddr:nBroadcastPort now.
  BOOL BroadcastNow();
  // TRUE when nId was the broadcast timer's tick.
  BOOL OnTimer(UINT_PTR nId);
  // Before Vista TRUE without asking; otherwise the elevation notice as a
  // Yes/No question, TRUE only for Yes. note may be nullptr.
  BOOL ConfirmElevation(const char* pszPrefix, const char* pszProgram,
                        const char* pszNote) override;

  // Starts a responder thread on port without probing the port first.
  void StartResponder(WORD nPort);

  // The running responder, or nullptr.
  CSorbel* GetResponder() const { return pResponder.Get(); }

  CServerSettings* pSettings;
  BOOL bServiceMode;
  CWorkerSlot<CSorbel> pResponder;
  UINT_PTR hBroadcastTimer;
  LONG nBroadcastTicks;

 protected:
  virtual CSorbel* NewResponder();
  int AskUser(const char* pszText, UINT nType) override;
  void BringToFront() override;

  CServerPrompt* pPrompt;
  CServerTimer* pTimer;
};
