#include "server/sorbel.h"

#include "server/server_engine.h"
#include "server/server_packet.h"

CSorbel::CSorbel() : nPort(123), bRunning(0) {}

CSorbel::~CSorbel() {}

bool CSorbel::OnThreadStart() { return true; }

DWORD CSorbel::OnThreadEnd() { return 0; }

DWORD CSorbel::Run() {
  NTP_PACKET msg;
  msg.InitRequest();
  // Read once: the settings do not change while the responder runs.
  const SERVER_IDENTITY identity = GetServerIdentity();
  CUDPSocket* socket = sntp.pSocket;
  InterlockedExchange(&bRunning, socket->Bind(nPort, INADDR_ANY) ? 1 : 0);
  // The socket check also ends the loop when Stop ran between the bind and
  // the store above: its cleared flag is then overwritten, but a closed
  // socket stays closed.
  while (bRunning && socket->HasSocket()) {
    DWORD address = 0;
    int port = 0;
    BOOL received = sntp.Receive(&msg, &address, &port);
    if (!bRunning || !socket->HasSocket()) break;
    // Receive accepts exactly 48 bytes; version and leap bits are not examined.
    if (received && msg.GetMode() == kNtpModeClient)
      SendServerPacket(&sntp, &msg, address, port, kNtpModeServer, identity);
  }

  // A responder that ends by itself (its bind failed) leaves its owner's slot.
  if (CServerEngine* owner = pCtrl.Enter()) {
    owner->pResponder.LeaveByItself(this);
    pCtrl.Leave(owner);
  }
  return 0;
}

void CSorbel::Stop() {
  InterlockedExchange(&bRunning, 0);
  sntp.pSocket->Close();
  WaitForEnd(1000);
  ReleaseOwner();
}
