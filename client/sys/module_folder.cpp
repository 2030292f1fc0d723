#include "client/sys/module_folder.h"

#include "base/mbcs.h"
#include "client/sys/system_api.h"

BOOL GetModuleFolder(char* buffer) {
  if (!buffer) return FALSE;
  buffer[0] = 0;
  DWORD n = GetSystemApi()->GetModuleFileName(buffer, MAX_PATH);
  // A path that fills the buffer is not terminated on older systems.
  buffer[n < MAX_PATH ? n : MAX_PATH - 1] = 0;
  int last = MbsFindLastByte(buffer, '\\');
  if (last < 0) {
    buffer[0] = 0;
    return FALSE;
  }
  buffer[last + 1] = 0;
  return TRUE;
}
