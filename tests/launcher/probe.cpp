// A program for the launcher's system tests. It appends two records to the
// file named by TARVIK_PROBE_LOG: "begin", its tick count, current directory
// and raw command line when it starts, then, after sleeping TARVIK_PROBE_SLEEP
// ms (default 200), "end" with its tick count. Fields are tab-separated;
// texts are in the ANSI code page.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include "core/clock.h"

namespace {
void Append(const char* log, const char* kind, const char* rest) {
  // The share flags let the test read the file meanwhile.
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  char record[4096];
  int n = snprintf(record, sizeof(record), "%s\t%lu%s\r\n", kind,
                   static_cast<unsigned long>(GetClock()->GetTickCount()), rest);
  DWORD written = 0;
  WriteFile(file, record, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH], text[32] = "200", cwd[MAX_PATH], rest[3000];
  if (!GetEnvironmentVariableA("TARVIK_PROBE_LOG", log, MAX_PATH)) return 2;
  GetEnvironmentVariableA("TARVIK_PROBE_SLEEP", text, sizeof(text));
  GetCurrentDirectoryA(MAX_PATH, cwd);
  snprintf(rest, sizeof(rest), "\t%s\t%s", cwd, GetCommandLineA());
  Append(log, "begin", rest);
  GetClock()->Sleep(atoi(text));
  Append(log, "end", "");
  return 0;
}
