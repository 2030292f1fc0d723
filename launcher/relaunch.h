#pragma once
#include <windows.h>

// The launcher's rule for "/admin": on Windows Vista or later under a limited
// token, start an elevated copy with the same arguments and wait for it to
// end. TRUE when that was done (or attempted: a refused elevation also ends
// the work here), FALSE when this process is to run the scripts itself.
// A failing rights-checking call shows "API Error FALSE" and the check goes on.
BOOL RelaunchElevated(const char* argumentText, int nShow);
