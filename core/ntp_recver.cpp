#include "core/ntp_recver.h"

#include <new>

#include "core/clock.h"

namespace {
const int kBindAttempts = 10;
const DWORD kBindRetryMs = 20;

template <class T>
T* ExchangePointer(T* volatile* target, T* value) {
  return static_cast<T*>(
      InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(target), value));
}
}  // namespace

CBroadcastSlot::CBroadcastSlot() : pPending(nullptr) {}

CBroadcastSlot::~CBroadcastSlot() {
  delete ExchangePointer(&pPending, static_cast<NTP_BROADCAST*>(nullptr));
}

void CBroadcastSlot::Put(NTP_BROADCAST* copy) {
  // Whoever takes a copy out of the slot frees it.
  delete ExchangePointer(&pPending, copy);
}

BOOL CBroadcastSlot::Take(NTP_BROADCAST* out) {
  NTP_BROADCAST* copy = ExchangePointer(&pPending, static_cast<NTP_BROADCAST*>(nullptr));
  if (!copy) return FALSE;
  *out = *copy;
  delete copy;
  return TRUE;
}

CNTPRecver::CNTPRecver() : pDest(nullptr), nPort(123), bRunning(0), bStopRequested(0) {}

CNTPRecver::~CNTPRecver() {}

bool CNTPRecver::OnThreadStart() { return true; }

DWORD CNTPRecver::OnThreadEnd() { return 0; }

void CNTPRecver::Deliver(const NTP_PACKET& packet, DWORD address, int port, HWND window) {
  // The copy is made before the client is held, so the hold stays short.
  NTP_BROADCAST* copy = new (std::nothrow) NTP_BROADCAST;
  if (!copy) return;
  copy->packet = packet;
  copy->dwAddress = address;
  copy->nPort = port;
  CNTPRecverClient* client = pClient.Enter();
  if (!client) {
    delete copy;
    return;
  }
  if (pDest) {
    pDest->Put(copy);
    copy = nullptr;
  }
  if (window)
    PostMessageA(window, WM_NTP_BROADCAST, static_cast<WPARAM>(address),
                 static_cast<LPARAM>(port));
  pClient.Leave(client);
  delete copy;
}

void CNTPRecver::EndByItself() {
  CNTPRecverClient* client = pClient.Enter();
  if (!client) return;  // the owner is stopping us and lets go itself
  client->pRecver.LeaveByItself(this);
  pClient.Leave(client);
}

BOOL CNTPRecver::BindPort() {
  // The port has just been probed by the window, and a closed socket may
  // hold its port for a moment: "in use" is retried briefly before the
  // listener gives up.
  for (int attempt = 1;; ++attempt) {
    if (sntp.pSocket->Bind(nPort, 0)) return TRUE;
    if (sntp.pSocket->nLastError != WSAEADDRINUSE || attempt >= kBindAttempts || bStopRequested)
      return FALSE;
    GetClock()->Sleep(kBindRetryMs);
  }
}

DWORD CNTPRecver::Run() {
  NTP_PACKET buffer;
  buffer.InitRequest();
  HWND window = nullptr;
  if (CNTPRecverClient* client = pClient.Enter()) {
    window = client->GetRecverWindow();
    pClient.Leave(client);
  }

  if (BindPort()) {
    InterlockedExchange(&bRunning, 1);
    // A Stop that came before the flag was set must still end the loop.
    if (bStopRequested) InterlockedExchange(&bRunning, 0);
  }
  while (bRunning) {
    DWORD address = 0;
    int port = 0;
    BOOL bReceived = sntp.Receive(&buffer, &address, &port);
    if (!bRunning) break;
    // Version, stratum, leap indicator and sender are not judged here.
    if (bReceived && buffer.GetMode() == kNtpModeBroadcast) Deliver(buffer, address, port, window);
  }

  EndByItself();
  return 0;
}

void CNTPRecver::Stop() {
  InterlockedExchange(&bStopRequested, 1);
  InterlockedExchange(&bRunning, 0);
  sntp.pSocket->Close();
  WaitForEnd(1000);
  ReleaseOwner();
}
