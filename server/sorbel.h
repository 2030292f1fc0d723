#pragma once
// The responder thread: binds the server port and answers every exact
// 48-byte client request (Mode 3) with a server reply (Mode 4) until stopped.
#include <windows.h>

#include "core/owner_link.h"
#include "core/sntp.h"
#include "core/thread.h"

class CServerEngine;

class CSorbel : public CThread {
 public:
  CSorbel();
  ~CSorbel() override;

  DWORD Run() override;
  bool OnThreadStart() override;
  DWORD OnThreadEnd() override;
  // Ends the receive loop (clears the flag, closes the socket), waits for the
  // thread at most 1000 ms and lets go of the object, which frees itself.
  virtual void Stop();

  CSNTP sntp;
  WORD nPort;
  volatile LONG bRunning;
  // The engine that started it; the engine detaches it before Stop.
  COwnerLink<CServerEngine> pCtrl;
};
