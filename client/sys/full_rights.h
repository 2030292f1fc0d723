#pragma once
#include <windows.h>

// Whether the process has full rights: true everywhere except for a limited
// (filtered, non-elevated) token on Windows Vista or later. Computed once and
// kept; computed anew when another system interface has been installed.
BOOL IsFullRightsProcess();
