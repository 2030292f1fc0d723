#pragma once
#include <windows.h>

// Windows 9x: registers (type 1) or unregisters (type 0) the process as a
// service process, so that it outlives the user's log-off. 0 on the NT family
// or where the function is missing; otherwise its result.
DWORD RegisterAsServiceProcess(DWORD processId, DWORD type);
