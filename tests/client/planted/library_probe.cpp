// Lies beside a planted shfolder.dll: the run-time look-up must still take
// the system folder's copy. Exit code 0 when it does.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>

#include "client/sys/system_api.h"
#include "client/sys/system_library.h"

int main() {
  char system[MAX_PATH], loaded[MAX_PATH] = "", folder[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  int failures = 0;
  {
    CSystemLibrary library("shfolder.dll");
    GetModuleFileNameA(library.hModule, loaded, MAX_PATH);
    auto folderPath = ProcAs<PFN_SHGETFOLDERPATHA>(library.GetProc("SHGetFolderPathA"));
    if (folderPath) folderPath(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    std::printf("system folder %s\nloaded %s\nfolder %s\n", system, loaded, folder);
    if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, loaded, lstrlenA(system), system,
                       -1) != CSTR_EQUAL ||
        !folderPath || lstrcmpA(folder, "PLANTED") == 0) {
      std::printf("FAIL: the planted library was taken or none was loaded\n");
      ++failures;
    }
  }
  // The trap is real: a load by bare name takes the planted copy.
  char bare[MAX_PATH] = "";
  GetModuleFileNameA(LoadLibraryA("shfolder.dll"), bare, MAX_PATH);
  std::printf("bare name loads %s\n", bare);
  if (CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, bare, lstrlenA(system), system, -1) ==
      CSTR_EQUAL) {
    std::printf("FAIL: the planted library is not where a bare name finds it\n");
    ++failures;
  }
  return failures;
}
