#include "launcher/relaunch.h"

#include <shellapi.h>

#include "client/sys/system_api.h"
#include "client/sys/system_library.h"

namespace {
void ReportFalse(const char* call) {
  GetSystemApi()->MessageBox(nullptr, call, "API Error FALSE", MB_OK);
}
}  // namespace

BOOL RelaunchElevated(const char* argumentText, int nShow) {
  CSystemApi* api = GetSystemApi();
  OSVERSIONINFOA version;
  ZeroMemory(&version, sizeof(version));
  version.dwOSVersionInfoSize = sizeof(version);
  if (!api->GetVersionEx(&version)) {
    ReportFalse("GetVersionEx");
    ZeroMemory(&version, sizeof(version));  // read nothing: taken as before Vista
  }
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6) return FALSE;

  CSystemLibrary advapi("ADVAPI32.DLL");
  if (!advapi.hModule) return FALSE;
  auto openToken = ProcAs<PFN_OPENPROCESSTOKEN>(advapi.GetProc("OpenProcessToken"));
  auto tokenInfo = ProcAs<PFN_GETTOKENINFORMATION>(advapi.GetProc("GetTokenInformation"));
  if (!openToken || !tokenInfo) return FALSE;

  // A type that could not be read is not "limited": the scripts then run here.
  DWORD type = TokenElevationTypeDefault;
  HANDLE token = nullptr;
  if (!openToken(api->GetCurrentProcess(), TOKEN_QUERY, &token)) {
    // Without a token there is nothing to query or close.
    ReportFalse("OpenProcessToken");
  } else {
    DWORD returned = 0;
    if (!tokenInfo(token, TokenElevationType, &type, sizeof(type), &returned)) {
      ReportFalse("GetTokenInformation");
      type = TokenElevationTypeDefault;
    }
    if (!api->CloseHandle(token)) ReportFalse("CloseHandle");
  }
  if (type != TokenElevationTypeLimited) return FALSE;

  char program[MAX_PATH] = "", directory[MAX_PATH] = "";
  DWORD n = api->GetModuleFileName(program, MAX_PATH);
  if (n == 0) ReportFalse("GetModuleFileName");
  program[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  n = api->GetCurrentDirectory(MAX_PATH, directory);
  if (n == 0) ReportFalse("GetCurrentDirectory");
  if (n >= MAX_PATH) n = 0;  // it would need a larger buffer: nothing was copied
  directory[n] = 0;

  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = program;
  // Unchanged: the elevated copy finds "/admin" again and, elevated, ignores it.
  info.lpParameters = argumentText;
  info.lpDirectory = directory[0] ? directory : nullptr;
  info.lpVerb = "runas";  // Vista or later here
  info.nShow = nShow;
  if (api->ShellExecuteEx(&info) && info.hProcess) {
    api->WaitForSingleObject(info.hProcess, INFINITE);
    api->CloseHandle(info.hProcess);
  }
  return TRUE;
}
