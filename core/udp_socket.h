#pragma once
// Datagram socket, broadcast enabled.
#include "core/ip_socket.h"

class CUDPSocket : public CIPSocket {
 public:
  ~CUDPSocket() override;
  using CIPSocket::Open;
  // Create, Bind, then SO_BROADCAST; a failure of the first two closes.
  BOOL Open(int port, DWORD address) override;
  // Byte count sent, or -1.
  virtual int SendTo(const void* data, int length, int port, DWORD address);
  // Byte count received, or -1: also for a datagram larger than size (it is
  // never handed over cut short) and when the socket is closed meanwhile.
  // port and address (either may be nullptr) are set only on success.
  virtual int RecvFrom(void* buffer, int size, int flags, int* port, DWORD* address);

  BOOL EnableBroadcast();
};
