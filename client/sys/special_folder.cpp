#include "client/sys/special_folder.h"

#include <shlobj.h>

#include "client/sys/system_api.h"
#include "client/sys/system_library.h"

int GetSpecialFolder(HWND owner, char* buffer, int csidl, BOOL create) {
  if (!buffer) return 0;
  buffer[0] = 0;
  static const char* const kLibraries[] = {"shell32.dll", "shfolder.dll"};
  for (const char* name : kLibraries) {
    CSystemLibrary library(name);
    if (!library.hModule) continue;
    auto specialFolderPath =
        ProcAs<PFN_SHGETSPECIALFOLDERPATHA>(library.GetProc("SHGetSpecialFolderPathA"));
    auto folderPath = ProcAs<PFN_SHGETFOLDERPATHA>(library.GetProc("SHGetFolderPathA"));
    BOOL bFound = FALSE;
    if (specialFolderPath) bFound = specialFolderPath(owner, buffer, csidl, create) ? TRUE : FALSE;
    if (!bFound && folderPath) {
      buffer[0] = 0;
      int folder = create ? (csidl | CSIDL_FLAG_CREATE) : csidl;
      bFound = folderPath(owner, folder, nullptr, SHGFP_TYPE_DEFAULT, buffer) >= 0;
    }
    if (bFound) return 1;
    buffer[0] = 0;  // nothing half-written is left for the caller
  }
  return 0;
}
