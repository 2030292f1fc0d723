#pragma once
#include <windows.h>

// The Windows family and version, read through the system interface each time.
BOOL IsNTFamily();
// NT family, major version above 5 (Vista, 7 and later).
BOOL IsVistaOrLater();
