#pragma once
// Broadcast reception of the client: switching the listener on and off (with
// the port probe and, for port 123, stopping the system's time service) and
// judging each received broadcast. The main window carries this: it hands in
// its window handle, routes WM_NTP_BROADCAST to OnNtpBroadcast and destroys
// the object (which stops the listener) when it goes away.
#include <windows.h>

#include "client/client_settings.h"
#include "client/sys/port_probe.h"
#include "client/sys/user_prompt.h"
#include "core/ntp_recver.h"
#include "core/time_correction.h"

class CBroadcastReception : public CNTPRecverClient, public CPortProbeHost {
 public:
  // None of the pointers is owned. prompt may be nullptr: then no box is
  // shown and every question counts as answered No.
  CBroadcastReception(CClientSettings* settings, CTimeCorrection* correction,
                      CUserPrompt* prompt, HWND window);
  ~CBroadcastReception() override;
  CBroadcastReception(const CBroadcastReception&) = delete;
  CBroadcastReception& operator=(const CBroadcastReception&) = delete;

  // On: starts the listener unless it runs. TRUE when it runs afterwards;
  // FALSE when the port cannot be had (bBroadcastRecv is then cleared, except
  // when the user declined the elevation). Off: stops it; always TRUE.
  BOOL EnableBroadcastRecv(BOOL bOn);
  // The handler of WM_NTP_BROADCAST: judges the newest received broadcast
  // and may correct the clock. 0.
  LRESULT OnNtpBroadcast(WPARAM wParam, LPARAM lParam);

  HWND GetRecverWindow() override { return hWindow; }

  NTP_PACKET pktBroadcast;
  CBroadcastSlot slotBroadcast;  // where the listener leaves its copies
  BOOL bServiceMode;  // no message boxes

 protected:
  // Starts a listener on port without probing it first.
  void StartRecver(WORD port);
  void StopRecver();
  virtual CNTPRecver* NewRecver();

  CClientSettings* pSettings;
  CTimeCorrection* pCorrection;
  CUserPrompt* pPrompt;
  HWND hWindow;

  int AskUser(const char* text, UINT type) override;
  BOOL ConfirmElevation(const char* prefix, const char* program, const char* note) override;
};
