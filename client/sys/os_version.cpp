#include "client/sys/os_version.h"

#include "client/sys/system_api.h"

namespace {
// A failed query leaves the record zeroed: neither NT nor Vista.
OSVERSIONINFOA ReadVersion() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetSystemApi()->GetVersionEx(&info)) ZeroMemory(&info, sizeof(info));
  return info;
}
}  // namespace

BOOL IsNTFamily() { return ReadVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

BOOL IsVistaOrLater() {
  OSVERSIONINFOA info = ReadVersion();
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 5;
}
