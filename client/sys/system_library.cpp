#include "client/sys/system_library.h"

#include "client/sys/system_api.h"

HMODULE LoadSystemFolderLibrary(const char* name) {
  char path[MAX_PATH];
  UINT n = GetSystemDirectoryA(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH || n + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
  path[n] = '\\';
  lstrcpyA(path + n + 1, name);
  return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

CSystemLibrary::CSystemLibrary(const char* name)
    : hModule(GetSystemApi()->LoadSystemLibrary(name)) {}

CSystemLibrary::~CSystemLibrary() {
  if (hModule) GetSystemApi()->FreeLibrary(hModule);
}

FARPROC CSystemLibrary::GetProc(const char* name) const {
  return hModule ? GetSystemApi()->GetProcAddress(hModule, name) : nullptr;
}
