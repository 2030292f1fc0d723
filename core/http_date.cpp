#include "core/http_date.h"

#include <wininet.h>

#include "core/clock.h"
#include "core/system_time.h"

namespace {

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One of the names (any case); its index, or -1. A name is taken only when
// no letter follows it, so "Sun" does not match the start of "Sunday".
int ReadName(const char*& p, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    int n = 0;
    while (names[i][n] && Lower(p[n]) == Lower(names[i][n])) ++n;
    char next = Lower(p[n]);
    if (names[i][n] == 0 && !(next >= 'a' && next <= 'z')) {
      p += n;
      return i;
    }
  }
  return -1;
}

// minDigits to maxDigits decimal digits; -1 when there are too few.
int ReadNumber(const char*& p, int minDigits, int maxDigits) {
  int value = 0, digits = 0;
  while (digits < maxDigits && *p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    ++digits;
  }
  return digits >= minDigits ? value : -1;
}

bool Expect(const char*& p, char c) {
  if (*p != c) return false;
  ++p;
  return true;
}

bool SkipBlanks(const char*& p) {
  const char* start = p;
  while (*p == ' ' || *p == '\t') ++p;
  return p != start;
}

// "08:49:37".
bool ReadTime(const char*& p, SYSTEMTIME* st) {
  int hour = ReadNumber(p, 2, 2);
  if (hour < 0 || !Expect(p, ':')) return false;
  int minute = ReadNumber(p, 2, 2);
  if (minute < 0 || !Expect(p, ':')) return false;
  int second = ReadNumber(p, 2, 2);
  if (second < 0 || hour > 23 || minute > 59 || second > 59) return false;
  st->wHour = static_cast<WORD>(hour);
  st->wMinute = static_cast<WORD>(minute);
  st->wSecond = static_cast<WORD>(second);
  return true;
}

// " GMT" and blanks up to the end.
bool ReadZoneAndEnd(const char*& p) {
  static const char* const kGmt[] = {"GMT"};
  if (!SkipBlanks(p) || ReadName(p, kGmt, 1) < 0) return false;
  SkipBlanks(p);
  return *p == 0;
}

bool SetDate(SYSTEMTIME* st, int weekday, int day, int month, int year) {
  if (weekday < 0 || day < 0 || month < 0 || year < 0) return false;
  st->wDayOfWeek = static_cast<WORD>(weekday);
  st->wDay = static_cast<WORD>(day);
  st->wMonth = static_cast<WORD>(month + 1);
  st->wYear = static_cast<WORD>(year);
  return true;
}

// "Sun, 06 Nov 1994 08:49:37 GMT".
bool ReadFixdate(const char* p, SYSTEMTIME* st) {
  int weekday = ReadName(p, kDayNames, 7);
  if (weekday < 0 || !Expect(p, ',') || !SkipBlanks(p)) return false;
  int day = ReadNumber(p, 1, 2);
  if (day < 0 || !SkipBlanks(p)) return false;
  int month = ReadName(p, kMonthNames, 12);
  if (month < 0 || !SkipBlanks(p)) return false;
  int year = ReadNumber(p, 4, 4);
  return SetDate(st, weekday, day, month, year) && SkipBlanks(p) && ReadTime(p, st) &&
         ReadZoneAndEnd(p);
}

// "Sunday, 06-Nov-94 08:49:37 GMT".
bool ReadRfc850(const char* p, SYSTEMTIME* st, int nowYear) {
  int weekday = ReadName(p, kLongDayNames, 7);
  if (weekday < 0 || !Expect(p, ',') || !SkipBlanks(p)) return false;
  int day = ReadNumber(p, 2, 2);
  if (day < 0 || !Expect(p, '-')) return false;
  int month = ReadName(p, kMonthNames, 12);
  if (month < 0 || !Expect(p, '-')) return false;
  int year = ReadNumber(p, 2, 2);
  if (year >= 0) {
    year += nowYear - nowYear % 100;
    if (year > nowYear + 50) year -= 100;
  }
  return SetDate(st, weekday, day, month, year) && SkipBlanks(p) && ReadTime(p, st) &&
         ReadZoneAndEnd(p);
}

// "Sun Nov  6 08:49:37 1994" (the day padded with a blank or a zero).
bool ReadAsctime(const char* p, SYSTEMTIME* st) {
  int weekday = ReadName(p, kDayNames, 7);
  if (weekday < 0 || !SkipBlanks(p)) return false;
  int month = ReadName(p, kMonthNames, 12);
  if (month < 0 || !SkipBlanks(p)) return false;
  int day = ReadNumber(p, 1, 2);
  if (day < 0 || !SkipBlanks(p) || !ReadTime(p, st) || !SkipBlanks(p)) return false;
  int year = ReadNumber(p, 4, 4);
  SkipBlanks(p);
  return SetDate(st, weekday, day, month, year) && *p == 0;
}

}  // namespace

BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC, int nowYear) {
  if (pszValue == nullptr || pUTC == nullptr) return FALSE;
  const char* p = pszValue;
  SkipBlanks(p);
  SYSTEMTIME expected;
  ZeroMemory(&expected, sizeof(expected));
  bool fixed = ReadFixdate(p, &expected);
  if (!fixed && !ReadRfc850(p, &expected, nowYear) && !ReadAsctime(p, &expected)) return FALSE;
  FILETIME ft;  // the day must exist in its month
  if (!CSystemTime::ToFileTime(expected, &ft)) return FALSE;

  // The library reads the older forms wrongly on some systems (a two-digit
  // year as year 94, the asctime fields shifted): those are given to it in
  // the fixed form.
  char fixdate[40];
  wsprintfA(fixdate, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDayNames[expected.wDayOfWeek],
            expected.wDay, kMonthNames[expected.wMonth - 1], expected.wYear, expected.wHour,
            expected.wMinute, expected.wSecond);
  CSystemTime read;  // invalid, so that fields left alone never match
  InternetTimeToSystemTimeA(fixed ? pszValue : fixdate, &read, 0);
  if (read.wYear != expected.wYear || read.wMonth != expected.wMonth ||
      read.wDay != expected.wDay || read.wHour != expected.wHour ||
      read.wMinute != expected.wMinute || read.wSecond != expected.wSecond) {
    return FALSE;
  }
  *pUTC = expected;
  return TRUE;
}

BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC) {
  SYSTEMTIME now;
  GetClock()->GetSystemTime(&now);
  return ParseHttpDate(pszValue, pUTC, now.wYear);
}
