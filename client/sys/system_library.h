#pragma once
// A system library looked up at run time (functions that older systems
// lack), let go on every way out. It is loaded from the system folder only:
// a DLL of the same name planted beside the program or in the current folder
// is never taken.
#include <windows.h>

class CSystemLibrary {
 public:
  explicit CSystemLibrary(const char* name);
  ~CSystemLibrary();
  CSystemLibrary(const CSystemLibrary&) = delete;
  CSystemLibrary& operator=(const CSystemLibrary&) = delete;

  // nullptr when the library or the function is missing.
  FARPROC GetProc(const char* name) const;

  HMODULE hModule;
};

// The system folder's copy of a library by full path, with its own
// dependencies searched from there too; nullptr when it cannot be loaded.
HMODULE LoadSystemFolderLibrary(const char* name);
