// Beside a planted shfolder.dll the run-time look-up takes the system folder's copy, while a load by bare
// name (the trap is real) takes the planted one. Exit code 0 when both hold.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>

#include "client/sys/system_api.h"
#include "client/sys/system_library.h"

namespace {
bool InSystemFolder(HMODULE module) {
  char system[MAX_PATH], loaded[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  GetModuleFileNameA(module, loaded, MAX_PATH);
  std::printf("system folder %s, loaded %s\n", system, loaded);
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, loaded, lstrlenA(system), system, -1) == CSTR_EQUAL;
}
}  // namespace

int main() {
  char folder[MAX_PATH] = "";
  bool bLooked;
  {  // freed before the load by bare name, which would otherwise get this one
    CSystemLibrary library("shfolder.dll");
    auto folderPath = ProcAs<PFN_SHGETFOLDERPATHA>(library.GetProc("SHGetFolderPathA"));
    if (folderPath) folderPath(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    std::printf("folder %s\n", folder);
    bLooked = InSystemFolder(library.hModule) && folderPath && lstrcmpA(folder, "PLANTED") != 0;
  }
  bool bTrap = !InSystemFolder(LoadLibraryA("shfolder.dll"));
  std::printf("%s%s", bLooked ? "" : "FAIL: the planted library was taken or none was loaded\n",
              bTrap ? "" : "FAIL: the planted library is not where a bare name finds it\n");
  return bLooked && bTrap ? 0 : 1;
}
