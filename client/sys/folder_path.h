#pragma once
#include <windows.h>

#include "base/char_string.h"

// The part of path up to and including its last backslash (a trail byte 0x5C
// of a double-byte character is no separator); without one, up to its last
// slash; without either, the empty text.
CCharString GetFolderOfPath(const char* path);

// Creates the folder path names, level by level from the separators at or
// after offset start. 1 when it exists as a folder afterwards, 0 otherwise
// (also when a level exists as a plain file).
int CreateFolderPath(const char* path, int start);
