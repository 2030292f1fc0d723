#pragma once
// Sends and receives SNTP messages over an owned, broadcast-enabled UDP
// socket. Used by one thread at a time; another thread may close pSocket to
// end a blocked Receive or Wait.
#include "core/ntp_packet.h"
#include "core/udp_socket.h"

class CSNTP {
 public:
  CSNTP();
  virtual ~CSNTP();
  CSNTP(const CSNTP&) = delete;
  CSNTP& operator=(const CSNTP&) = delete;

  // TRUE when all nLength bytes went out. A message whose nLength is not 48
  // is refused rather than read past its end.
  BOOL Send(const NTP_PACKET& msg, DWORD address, int port);
  // TRUE only for a datagram of exactly 48 bytes; a shorter or longer one
  // (even one the platform would cut to 48) leaves msg unchanged. address
  // (network order) and port may be nullptr.
  BOOL Receive(NTP_PACKET* msg, DWORD* address, int* port);
  // > 0 a datagram is ready, 0 time ran out, -1 socket error or closed.
  int Wait(int ms);

  CUDPSocket* pSocket;
};
