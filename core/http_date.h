#pragma once
// Reading the Date header of an HTTP response.
#include <windows.h>

// The UTC time to the second of an HTTP date in any of the three forms that
// HTTP/1.1 recipients must accept: the fixed form every current server
// sends ("Sun, 06 Nov 1994 08:49:37 GMT") and the two obsolete ones
// ("Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"). The value
// is read here and, in the fixed form, read again by the system's internet
// library; both must agree. FALSE for anything else: the library itself gives
// no sign of failure (for text it cannot read it leaves the current time, or
// a mix of that and the fields it did read), and a wrong time must never
// reach the clock. A two-digit year is taken as the latest year with those
// digits that is at most 50 years after now (nowYear).
BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC, int nowYear);
// The same, with now taken from the clock.
BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC);
