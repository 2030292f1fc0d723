#pragma once
// The responder thread: binds the server port and answers every exact
// 48-byte client request (Mode 3) with a server reply (Mode 4) until stopped.
#include <windows.h>

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

  // The owner clears the back pointer. When this returns, the thread does
  // not touch the owner any more (it may be in the middle of doing so while
  // this is called; then this waits the few instructions until it is done).
  void DetachOwner();

  CSNTP sntp;
  WORD nPort;
  volatile LONG bRunning;
  // Only the owner writes it, before the start and through DetachOwner.
  CServerEngine* pCtrl;

 private:
  // Who may still use pCtrl: the thread takes it once at its end, the owner
  // takes it away when it detaches; whichever comes first decides.
  enum { kAttached = 0, kThreadUsing = 1, kDetached = 2 };
  volatile LONG nHandOver;
};
