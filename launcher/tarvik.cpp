#include "launcher/tarvik.h"

#include <string.h>

#include "client/sys/command_line.h"
#include "client/sys/system_api.h"
#include "launcher/relaunch.h"
#include "launcher/script_runner.h"

int TarvikMain(const char* argumentText, int nShow) {
  if (!argumentText || !argumentText[0]) return 0;
  CCommandLineTokens tokens(GetSystemApi()->GetCommandLine());
  int first = 1;
  const char* option = tokens.Get(1);
  if (option && _stricmp(option, "/admin") == 0) {
    if (RelaunchElevated(argumentText, nShow)) return 1;
    first = 2;
  }
  for (int i = first; i < tokens.GetCount(); ++i) RunScriptFile(tokens.Get(i));
  return 0;
}
