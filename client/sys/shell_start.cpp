#include "client/sys/shell_start.h"

#include <shellapi.h>

#include "client/sys/os_version.h"
#include "client/sys/system_api.h"

namespace {
const char* ElevatingVerb() { return IsVistaOrLater() ? "runas" : "open"; }

// Runs the prepared start, waits when asked, and lets go of the process handle.
BOOL Execute(SHELLEXECUTEINFOA& info, DWORD waitMs) {
  CSystemApi* api = GetSystemApi();
  info.cbSize = sizeof(info);
  info.hProcess = nullptr;
  BOOL bStarted = api->ShellExecuteEx(&info) ? TRUE : FALSE;
  if (bStarted && info.hProcess) {
    if (waitMs != 0) api->WaitForSingleObject(info.hProcess, waitMs);
    api->CloseHandle(info.hProcess);
  }
  return bStarted;
}
}  // namespace

BOOL OpenWithShell(const char* fileOrUrl) {
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = "open";
  info.lpFile = fileOrUrl;
  info.nShow = SW_SHOW;
  return Execute(info, 0);
}

BOOL RunAndWait(const char* file, const char* parameters, DWORD waitMs) {
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.fMask = waitMs != 0 ? SEE_MASK_NOCLOSEPROCESS : 0;
  info.lpVerb = ElevatingVerb();
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = SW_SHOW;
  return Execute(info, waitMs);
}

BOOL RestartElevated(const char* commandLine, int nShow, DWORD waitMs) {
  CSystemApi* api = GetSystemApi();
  char program[MAX_PATH] = "";
  char directory[MAX_PATH] = "";
  DWORD n = api->GetModuleFileName(program, MAX_PATH);
  program[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  n = api->GetCurrentDirectory(MAX_PATH, directory);
  if (n >= MAX_PATH) n = 0;  // too long for the buffer: nothing was copied
  directory[n] = 0;

  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.fMask = waitMs != 0 ? SEE_MASK_NOCLOSEPROCESS : 0;
  info.lpVerb = ElevatingVerb();
  info.lpFile = program;
  info.lpParameters = commandLine;
  info.lpDirectory = directory[0] ? directory : nullptr;
  info.nShow = nShow;
  Execute(info, waitMs);
  return TRUE;
}
