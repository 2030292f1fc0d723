#pragma once
#include <windows.h>

// Starting programs and documents through the shell. Failures are not
// reported here; the callers decide what to show.

// "open" with SW_SHOW, without waiting; the result of ShellExecuteExA.
BOOL OpenWithShell(const char* fileOrUrl);

// Starts file with parameters ("runas" on Vista or later, "open" before) and,
// when waitMs is non-zero, waits for it up to waitMs (INFINITE waits without
// limit). TRUE when the program was started, however it ended.
BOOL RunAndWait(const char* file, const char* parameters, DWORD waitMs);

// Starts the running program again with commandLine as its parameters, in the
// current directory, with the same verb rule and wait as RunAndWait. Always TRUE.
BOOL RestartElevated(const char* commandLine, int nShow, DWORD waitMs);
