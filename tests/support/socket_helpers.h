#pragma once
// Loopback helpers for socket tests.
#include <winsock.h>

#include "core/clock.h"
#include "core/ip_socket.h"

inline DWORD LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

// The port the system bound a socket to (0 when it has none).
inline int LocalPort(const CIPSocket& s) {
  sockaddr_in sa = {};
  int length = sizeof(sa);
  if (getsockname(s.hSocket, reinterpret_cast<sockaddr*>(&sa), &length) == SOCKET_ERROR) return 0;
  return ntohs(sa.sin_port);
}

// Real milliseconds since an earlier GetWin32Clock()->GetTickCount().
inline DWORD RealMsSince(DWORD start) { return GetWin32Clock()->GetTickCount() - start; }

// Polls cond every 10 ms for at most limitMs real milliseconds.
template <typename Cond>
bool WaitUntil(Cond cond, DWORD limitMs) {
  DWORD start = GetWin32Clock()->GetTickCount();
  while (!cond()) {
    if (RealMsSince(start) >= limitMs) return false;
    GetWin32Clock()->Sleep(10);
  }
  return true;
}
