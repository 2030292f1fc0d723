#pragma once
// What most test programs use: GoogleTest, containers, virtual clocks, time texts, Winsock, loopback helpers.
#include <windows.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/ip_socket.h"
#include "core/system_time.h"
#include "core/udp_socket.h"
#include "core/winsock_startup.h"
#include "support/skewed_clock.h"

using Texts = std::vector<std::string>;

inline SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                                 WORD second = 0, WORD ms = 0) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

// "YYYY-MM-DD hh:mm:ss.mmm" (the day of week left out).
inline std::string TimeText(const SYSTEMTIME& st) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth, st.wDay, st.wHour,
                st.wMinute, st.wSecond, st.wMilliseconds);
  return text;
}

// Starts Winsock 1.1 around a test program (AddGlobalTestEnvironment).
class CWinsockEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(StartupWinsock(1, 1)); }
  void TearDown() override { CleanupWinsock(); }
};

inline DWORD LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

// The port the system bound a socket to (0 when it has none).
inline int LocalPort(const CIPSocket& s) {
  sockaddr_in sa = {};
  int length = sizeof(sa);
  return getsockname(s.hSocket, reinterpret_cast<sockaddr*>(&sa), &length) == SOCKET_ERROR ? 0 : ntohs(sa.sin_port);
}

// A UDP port free on every local address at this moment.
inline WORD FreeUdpPort() {
  CUDPSocket s;
  return s.Open(0, static_cast<DWORD>(INADDR_ANY)) ? static_cast<WORD>(LocalPort(s)) : 0;
}

// Real milliseconds since an earlier GetWin32Clock()->GetTickCount().
inline DWORD RealMsSince(DWORD start) { return GetWin32Clock()->GetTickCount() - start; }

// Polls cond every 10 ms for at most limitMs real milliseconds.
template <typename Cond>
bool WaitUntil(Cond cond, DWORD limitMs) {
  for (DWORD start = GetWin32Clock()->GetTickCount(); !cond(); GetWin32Clock()->Sleep(10))
    if (RealMsSince(start) >= limitMs) return false;
  return true;
}
