#pragma once
// A shell link (.lnk) written through the shell's link object.
#include <windows.h>

// Writes pszLinkPath (an existing one is replaced): pszTarget (the running
// program when nullptr) with pszArguments, started in pszWorkingDir (the
// target's folder when nullptr). 1 when the link object could be saved
// through; 0 when the shell has no link object.
int CreateShortcut(const char* pszLinkPath, const char* pszTarget, const char* pszArguments,
                   const char* pszWorkingDir);
