#pragma once
// Stream socket: connect, send, receive, send-all; Open makes a listening socket.
#include "core/ip_socket.h"

class CTCPSocket : public CIPSocket {
 public:
  static constexpr int kMaxBacklog = 5;

  CTCPSocket();
  ~CTCPSocket() override;
  BOOL Close() override;  // also clears bConnected
  using CIPSocket::Open;
  // Create, Bind, Listen(5); any failure closes.
  BOOL Open(int port, DWORD address) override;

  // A backlog above 5 (or below 0) is refused without touching the socket.
  BOOL Listen(int backlog);
  BOOL Connect(int port, DWORD address);
  BOOL ConnectTo(int port, DWORD address);      // Create + Connect; closes on failure
  BOOL ConnectByName(int port, const char* host);
  // Resolves host and connects within ms (a negative ms: no limit) by a
  // non-blocking connect; the socket is blocking again afterwards. A connect
  // that runs out of time fails with nLastError WSAETIMEDOUT.
  BOOL ConnectWithin(int port, const char* host, int ms);
  BOOL ConnectWithin(int port, DWORD address, int ms);
  // A new connected socket owned by the caller, or nullptr.
  static CTCPSocket* CreateConnected(const char* host, int port);

  // One send / recv. -1 stores WSAGetLastError() in nLastError, 0 stores 0.
  int Send(const void* data, int length);
  int Recv(void* buffer, int size);
  // FALSE when a wait for writability (ms each, -1 = no limit) runs out or fails,
  // or a send fails. 0 bytes: TRUE at once.
  BOOL SendAll(const void* data, int length, int ms);
  BOOL IsConnected() const;

  DWORD dwPeerAddr;  // network order, of the last successful connect
  BOOL bConnected;
};
