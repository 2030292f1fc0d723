#pragma once
// Base of the IPv4 socket classes: the handle, the wait with a time limit,
// bind and close. Addresses are IPv4 in network order, ports host-order
// numbers (0 to 65535; others fail).
#include <winsock.h>

class CIPSocket {
 public:
  static constexpr int kDefaultTimeLimit = -1;

  CIPSocket();
  virtual ~CIPSocket();
  CIPSocket(const CIPSocket&) = delete;
  CIPSocket& operator=(const CIPSocket&) = delete;

  // FALSE when there is no socket. Otherwise shuts the socket down and closes
  // it, which wakes a recvfrom or select blocked on it in another thread.
  virtual BOOL Close();
  virtual BOOL Open(int port, DWORD address) = 0;
  // Resolves the name (no forced lookup); nullptr or "" means any address.
  virtual BOOL Open(int port, const char* host);

  // type 2 = datagram, 1 = stream. On success a handle held before is closed.
  BOOL Create(int type);
  BOOL Bind(int port, DWORD address);  // address 0 = any local address
  // > 0 ready, 0 time ran out, -1 error (also for a closed socket).
  // ms = -1 waits without limit; other negative values do not wait.
  int Wait(int ms, BOOL bRead);

  BOOL HasSocket() const;

  int nTimeLimit;    // nominal; nothing in the family reads it
  // INVALID_SOCKET when there is no socket (0 is a valid handle elsewhere).
  // Read and cleared atomically, because another thread may close it.
  SOCKET hSocket;
  int nLastError;

 protected:
  static BOOL IsPort(int port) { return port >= 0 && port <= 0xFFFF; }
  static sockaddr_in MakeAddress(int port, DWORD address);
  SOCKET GetHandle() const;
};
