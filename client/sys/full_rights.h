#pragma once
#include <windows.h>

// Shows that a call of the rights check failed; the check then goes on.
typedef void (*PFN_REPORTFAILURE)(const char* call);

// Whether the process runs under a limited (filtered, non-elevated) token on
// Windows Vista or later. A failing call is passed to report by its name; an
// answer that could not be read counts as not limited, so the process then
// behaves as it did before Vista instead of restarting itself elevated again
// and again. The client and the launcher show failures in their own forms.
BOOL IsLimitedToken(PFN_REPORTFAILURE report);

// Whether the process has full rights: true everywhere except for a limited
// token. Computed once and kept; computed anew when another system interface
// has been installed. A failing call shows "LastError=N" captioned with its name.
BOOL IsFullRightsProcess();
