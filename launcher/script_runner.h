#pragma once
#include <windows.h>

// Runs launch scripts: text files of command lines in the ANSI code page, one
// per line, each started through the shell and waited for before the next.
// Lines of at most 2 bytes and lines beginning with ";" are skipped.
// Every start goes through the system interface (client/sys/system_api.h).

enum {
  // Longer lines (the longest Windows command line is 32767 characters) are
  // skipped whole; what follows them is read as usual.
  kMaxScriptLine = 32768
};

// The number of command lines started, or -1 when the launcher's folder
// cannot be determined or the script cannot be opened. The launcher's folder
// becomes the current directory first, so relative script and program names
// are resolved against it.
int RunScriptFile(const char* path);

// Starts the program of one line (its first token, plain or in double quotes)
// with the rest of the line, exactly as written, as its parameters; waits.
void RunScriptLine(const char* line);

// ShellExecuteExA "open", SW_SHOW. With parameters the program starts in its
// own folder as written (the current directory when the name has none), without
// them in the current directory. With bWait the call returns when the program
// has ended. FALSE when it could not be started (which callers skip silently).
BOOL StartProgramAndWait(const char* program, const char* parameters, BOOL bWait);
