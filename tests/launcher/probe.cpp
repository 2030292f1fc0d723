// The launcher system test's program: sleeps TARVIK_PROBE_SLEEP ms, then appends to TARVIK_PROBE_LOG its start
// and end ticks, current directory and raw command line (tab-separated, ANSI).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "core/clock.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  unsigned long start = GetClock()->GetTickCount();
  char log[MAX_PATH], sleep[32] = "200", cwd[MAX_PATH], record[4096];
  if (!GetEnvironmentVariableA("TARVIK_PROBE_LOG", log, MAX_PATH)) return 2;
  GetEnvironmentVariableA("TARVIK_PROBE_SLEEP", sleep, sizeof(sleep));
  GetCurrentDirectoryA(MAX_PATH, cwd);
  GetClock()->Sleep(atoi(sleep));
  int n = snprintf(record, sizeof(record), "%lu\t%lu\t%s\t%s\r\n", start,
                   static_cast<unsigned long>(GetClock()->GetTickCount()), cwd, GetCommandLineA());
  if (n < 0 || n >= static_cast<int>(sizeof(record))) return 3;
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, record, static_cast<DWORD>(n), &written, nullptr);
  return CloseHandle(file) ? 0 : 4;
}
