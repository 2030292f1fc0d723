#pragma once
#include <windows.h>

// Path of a shell special folder (CSIDL_APPDATA 26, CSIDL_COMMON_APPDATA 35...)
// into buffer (MAX_PATH bytes), without a trailing backslash; with create the
// shell makes the folder when it is missing. 1 on success, 0 otherwise (buffer
// empty). The look-ups are made at run time so that the program also loads
// where the shell lacks them.
int GetSpecialFolder(HWND owner, char* buffer, int csidl, BOOL create);
