#pragma once
// Reading the Date header of an HTTP response.
#include <windows.h>

// The UTC time to the second of an HTTP date in the fixed form every
// HTTP/1.1 server sends ("Mon, 01 Jan 2024 00:00:00 GMT"), as the system's
// internet library reads it. FALSE when the value is not such a date, or the
// library reads it otherwise: the library itself gives no sign of failure
// (for text it cannot read it leaves the current time, or a mix of that and
// the fields it did read), and a wrong time must never reach the clock.
BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC);
