#pragma once
// The client's broadcast listener: a worker thread that binds a UDP port,
// accepts SNTP broadcasts (Mode 5) and hands each one to the window that
// started it.
//
// Nothing here takes a lock. A received message travels as a heap copy that
// is swapped into the window's slot, so the window never reads a message the
// listener is still writing. The window's pRecver slot (CWorkerSlot) settles
// who lets go of a listener that ends by itself while it is being stopped.
#include <windows.h>

#include "core/ntp_packet.h"
#include "core/owner_link.h"
#include "core/sntp.h"
#include "core/thread.h"
#include "core/worker_slot.h"

// Posted to the window for every accepted broadcast. wParam: the sender's
// IPv4 address (network order); lParam: its UDP port.
constexpr UINT WM_NTP_BROADCAST = 0x8387;

// One received broadcast with its sender, as handed to the window.
struct NTP_BROADCAST {
  NTP_PACKET packet;
  DWORD dwAddress;  // network order
  int nPort;
};

// Holds the newest broadcast not yet handled. The listener puts, the window
// takes; a put replaces (and frees) a copy nobody took.
class CBroadcastSlot {
 public:
  CBroadcastSlot();
  ~CBroadcastSlot();
  CBroadcastSlot(const CBroadcastSlot&) = delete;
  CBroadcastSlot& operator=(const CBroadcastSlot&) = delete;

  void Put(NTP_BROADCAST* copy);  // takes ownership
  // The newest copy into out; FALSE (out unchanged) when none waits.
  BOOL Take(NTP_BROADCAST* out);

 private:
  NTP_BROADCAST* volatile pPending;
};

class CNTPRecver;

// What the listener needs of the window that started it.
class CNTPRecverClient {
 public:
  virtual ~CNTPRecverClient() {}
  // Where WM_NTP_BROADCAST goes.
  virtual HWND GetRecverWindow() = 0;

  // The running listener, or none.
  CWorkerSlot<CNTPRecver> pRecver;
};

class CNTPRecver : public CThread {
 public:
  CNTPRecver();
  ~CNTPRecver() override;

  DWORD Run() override;
  bool OnThreadStart() override;
  DWORD OnThreadEnd() override;
  // Owner side (through its pRecver slot): makes Run return and waits for
  // the thread at most 1000 ms. The object must not be used afterwards.
  virtual void Stop();
  CSNTP sntp;
  CBroadcastSlot* pDest;
  WORD nPort;
  volatile LONG bRunning;
  // The window that started it. Its owner detaches it before Stop, which
  // waits out a delivery in progress (a few instructions).
  COwnerLink<CNTPRecverClient> pClient;

 private:
  void Deliver(const NTP_PACKET& packet, DWORD address, int port, HWND window);
  void EndByItself();
  BOOL BindPort();

  volatile LONG bStopRequested;
};
