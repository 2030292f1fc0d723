#include "launcher/script_runner.h"

#include <shellapi.h>
#include <string.h>

#include <memory>
#include <new>

#include "base/char_string.h"
#include "base/file_reader.h"
#include "client/sys/command_line.h"
#include "client/sys/folder_path.h"
#include "client/sys/module_folder.h"
#include "client/sys/system_api.h"

BOOL StartProgramAndWait(const char* program, const char* parameters, BOOL bWait) {
  CSystemApi* api = GetSystemApi();
  CCharString directory;
  SHELLEXECUTEINFOA info;
  ZeroMemory(&info, sizeof(info));
  info.cbSize = sizeof(info);
  // No error box of the shell's either: a program that cannot be started is
  // skipped silently, and a windowless launcher must not stop on a dialog.
  info.fMask = SEE_MASK_FLAG_NO_UI | (bWait ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = "open";
  info.lpFile = program;
  info.nShow = SW_SHOW;
  if (parameters) {
    info.lpParameters = parameters;
    directory = GetFolderOfPath(program);
    if (!directory.IsEmpty()) info.lpDirectory = directory;
  }
  if (!api->ShellExecuteEx(&info)) return FALSE;
  if (info.hProcess) {
    if (bWait) api->WaitForSingleObject(info.hProcess, INFINITE);
    api->CloseHandle(info.hProcess);
  }
  return TRUE;
}

void RunScriptLine(const char* line) {
  if (!line) return;
  CCommandLineTokens tokens(line);
  const char* program = tokens.Get(0);
  if (!program) return;  // only blanks
  if (tokens.GetCount() == 1) {
    StartProgramAndWait(program, nullptr, TRUE);
    return;
  }
  // The parameters begin after the program's closing quote, if any, and the
  // one blank behind it: the byte that ended the program tells which. Measured
  // from where the program really starts, so an indented line keeps them whole.
  size_t at = static_cast<size_t>(tokens.GetOffset(0)) + strlen(program);
  if (line[at] == '"') ++at;
  if (line[at] == ' ') ++at;
  StartProgramAndWait(program, line + at, TRUE);
}

int RunScriptFile(const char* path) {
  char folder[MAX_PATH];
  if (!GetModuleFolder(folder)) return -1;
  SetCurrentDirectoryA(folder);

  CFileReader reader;
  if (!path || !reader.Open(path)) return -1;
  std::unique_ptr<char[]> line(new (std::nothrow) char[kMaxScriptLine + 1]);
  if (!line) return -1;
  int count = 0;
  BOOL bSkipping = FALSE;  // inside a line too long to run
  for (;;) {
    int n = reader.ReadLine(line.get(), kMaxScriptLine);
    if (n < 0) break;
    if (n == kMaxScriptLine) {
      bSkipping = TRUE;
      continue;
    }
    if (bSkipping) {  // the rest of the long line
      bSkipping = FALSE;
      continue;
    }
    line[n] = 0;
    // A zero byte in the file ends the line's text there.
    if (strlen(line.get()) <= 2 || line[0] == ';') continue;
    RunScriptLine(line.get());
    ++count;
  }
  reader.Close();
  return count;
}
