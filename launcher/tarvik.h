#pragma once
#include <windows.h>

// The launcher: argumentText is the command line after the program name (as
// WinMain receives it), nShow the show state. The scripts are the tokens of the
// process's own command line after the program and an optional "/admin".
// 0 normally and at once for empty arguments; 1 when an elevated copy did the
// work (or its start was attempted).
int TarvikMain(const char* argumentText, int nShow);
