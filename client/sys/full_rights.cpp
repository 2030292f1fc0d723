#include "client/sys/full_rights.h"

#include "client/sys/system_api.h"
#include "client/sys/system_library.h"

namespace {
struct RightsCache {
  BOOL bComputed = FALSE;
  BOOL bResult = FALSE;
  DWORD dwGeneration = 0;  // the system interface that computed it
};
RightsCache g_rights;

void ReportFailure(const char* call) {
  DWORD error = GetLastError();
  char text[32];
  wsprintfA(text, "LastError=%d", static_cast<int>(error));
  GetSystemApi()->MessageBox(nullptr, text, call, MB_OK);
}

BOOL ComputeFullRights() {
  CSystemApi* api = GetSystemApi();
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!api->GetVersionEx(&info)) {
    ReportFailure("GetVersionEx");
    ZeroMemory(&info, sizeof(info));
  }
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT || info.dwMajorVersion < 6) return TRUE;

  CSystemLibrary advapi("ADVAPI32.DLL");
  if (!advapi.hModule) return TRUE;
  auto openToken = ProcAs<PFN_OPENPROCESSTOKEN>(advapi.GetProc("OpenProcessToken"));
  auto tokenInfo = ProcAs<PFN_GETTOKENINFORMATION>(advapi.GetProc("GetTokenInformation"));
  BOOL bFull = TRUE;
  if (openToken && tokenInfo) {
    // An elevation type that could not be read counts as not limited: the
    // process then behaves as it did before Vista instead of restarting
    // itself elevated again and again.
    DWORD type = TokenElevationTypeDefault;
    HANDLE token = nullptr;
    if (!openToken(api->GetCurrentProcess(), TOKEN_QUERY, &token)) {
      ReportFailure("OpenProcessToken");
    } else {
      DWORD returned = 0;
      if (!tokenInfo(token, TokenElevationType, &type, sizeof(type), &returned)) {
        ReportFailure("GetTokenInformation");
        type = TokenElevationTypeDefault;
      }
      if (!api->CloseHandle(token)) ReportFailure("CloseHandle");
    }
    bFull = type != TokenElevationTypeLimited;
  }
  return bFull;
}
}  // namespace

BOOL IsFullRightsProcess() {
  if (g_rights.bComputed && g_rights.dwGeneration == GetSystemApiGeneration())
    return g_rights.bResult;
  g_rights.bResult = ComputeFullRights();
  g_rights.bComputed = TRUE;
  g_rights.dwGeneration = GetSystemApiGeneration();
  return g_rights.bResult;
}
