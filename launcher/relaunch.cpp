#include "launcher/relaunch.h"

#include <shellapi.h>

#include "client/sys/full_rights.h"
#include "client/sys/system_api.h"

namespace {
void ReportFalse(const char* call) {
  GetSystemApi()->MessageBox(nullptr, call, "API Error FALSE", MB_OK);
}
}  // namespace

BOOL RelaunchElevated(const char* argumentText, int nShow) {
  // Not limited, or not known to be: the scripts run in this process.
  if (!IsLimitedToken(ReportFalse)) return FALSE;
  CSystemApi* api = GetSystemApi();
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
