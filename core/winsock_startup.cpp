#include "core/winsock_startup.h"

namespace {

BOOL g_bStarted = FALSE;
WSADATA g_wsaData;

}  // namespace

BOOL StartupWinsock(int major, int minor) {
  if (g_bStarted) return TRUE;
  WSADATA data;
  if (WSAStartup(MAKEWORD(major, minor), &data) != 0) return FALSE;
  g_wsaData = data;
  g_bStarted = TRUE;
  return TRUE;
}

BOOL CleanupWinsock() {
  if (!g_bStarted) return FALSE;
  WSACleanup();
  g_bStarted = FALSE;
  return TRUE;
}

BOOL IsWinsockStarted() { return g_bStarted; }

const WSADATA& GetWinsockData() { return g_wsaData; }
