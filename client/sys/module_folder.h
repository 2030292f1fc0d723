#pragma once
#include <windows.h>

// The running program's folder with its trailing backslash, so a file name can
// be appended directly. buffer holds MAX_PATH bytes. FALSE (buffer empty) when
// the path has no backslash or cannot be read.
BOOL GetModuleFolder(char* buffer);
