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

void ReportLastError(const char* call) {
  DWORD error = GetLastError();
  char text[32];
  wsprintfA(text, "LastError=%d", static_cast<int>(error));
  GetSystemApi()->MessageBox(nullptr, text, call, MB_OK);
}
}  // namespace

BOOL IsLimitedToken(PFN_REPORTFAILURE report) {
  CSystemApi* api = GetSystemApi();
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(info);
  if (!api->GetVersionEx(&info)) {
    report("GetVersionEx");
    ZeroMemory(&info, sizeof(info));  // read nothing: taken as before Vista
  }
  if (info.dwPlatformId != VER_PLATFORM_WIN32_NT || info.dwMajorVersion < 6) return FALSE;

  CSystemLibrary advapi("ADVAPI32.DLL");
  if (!advapi.hModule) return FALSE;
  auto openToken = ProcAs<PFN_OPENPROCESSTOKEN>(advapi.GetProc("OpenProcessToken"));
  auto tokenInfo = ProcAs<PFN_GETTOKENINFORMATION>(advapi.GetProc("GetTokenInformation"));
  if (!openToken || !tokenInfo) return FALSE;

  DWORD type = TokenElevationTypeDefault;
  HANDLE token = nullptr;
  if (!openToken(api->GetCurrentProcess(), TOKEN_QUERY, &token)) {
    // Without a token there is nothing to query or close.
    report("OpenProcessToken");
  } else {
    DWORD returned = 0;
    if (!tokenInfo(token, TokenElevationType, &type, sizeof(type), &returned)) {
      report("GetTokenInformation");
      type = TokenElevationTypeDefault;
    }
    if (!api->CloseHandle(token)) report("CloseHandle");
  }
  return type == TokenElevationTypeLimited;
}

BOOL IsFullRightsProcess() {
  if (g_rights.bComputed && g_rights.dwGeneration == GetSystemApiGeneration())
    return g_rights.bResult;
  g_rights.bResult = !IsLimitedToken(ReportLastError);
  g_rights.bComputed = TRUE;
  g_rights.dwGeneration = GetSystemApiGeneration();
  return g_rights.bResult;
}
