// A program for the launcher's system tests. It appends two records to the
// file named by TARVIK_PROBE_LOG: "begin", its current directory and its raw
// command line when it starts, then, after sleeping TARVIK_PROBE_SLEEP ms
// (default 200), "end" with its tick count. Fields are tab-separated; texts
// are in the ANSI code page.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "core/clock.h"

namespace {
void Append(const char* log, const std::string& record) {
  // Appends can come from the launcher's children one after another only; the
  // share flags merely let the test read the file meanwhile.
  HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char log[MAX_PATH], text[32], cwd[MAX_PATH];
  if (!GetEnvironmentVariableA("TARVIK_PROBE_LOG", log, MAX_PATH)) return 2;
  DWORD sleepMs = 200;
  if (GetEnvironmentVariableA("TARVIK_PROBE_SLEEP", text, sizeof(text))) sleepMs = atoi(text);
  GetCurrentDirectoryA(MAX_PATH, cwd);
  char tick[16];
  snprintf(tick, sizeof(tick), "%lu", static_cast<unsigned long>(GetClock()->GetTickCount()));
  Append(log, std::string("begin\t") + tick + "\t" + cwd + "\t" + GetCommandLineA() + "\r\n");
  GetClock()->Sleep(sleepMs);
  snprintf(tick, sizeof(tick), "%lu", static_cast<unsigned long>(GetClock()->GetTickCount()));
  Append(log, std::string("end\t") + tick + "\r\n");
  return 0;
}
