#include "core/http_date.h"

#include <wininet.h>

#include "core/system_time.h"

namespace {

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kZoneNames[] = {"GMT"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One of the names (three letters, any case); its index, or -1.
int ReadName(const char*& p, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    const char* n = names[i];
    if (Lower(p[0]) == Lower(n[0]) && Lower(p[1]) == Lower(n[1]) && Lower(p[2]) == Lower(n[2])) {
      p += 3;
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

BOOL Expect(const char*& p, char c) {
  if (*p != c) return FALSE;
  ++p;
  return TRUE;
}

BOOL SkipBlanks(const char*& p) {
  const char* start = p;
  while (*p == ' ' || *p == '\t') ++p;
  return p != start;
}

// "Mon, 01 Jan 2024 00:00:00 GMT", blanks around it allowed.
BOOL ReadFixdate(const char* p, SYSTEMTIME* st) {
  SkipBlanks(p);
  int weekday = ReadName(p, kDayNames, 7);
  if (weekday < 0 || !Expect(p, ',') || !SkipBlanks(p)) return FALSE;
  int day = ReadNumber(p, 1, 2);
  if (day < 0 || !SkipBlanks(p)) return FALSE;
  int month = ReadName(p, kMonthNames, 12);
  if (month < 0 || !SkipBlanks(p)) return FALSE;
  int year = ReadNumber(p, 4, 4);
  if (year < 0 || !SkipBlanks(p)) return FALSE;
  int hour = ReadNumber(p, 2, 2);
  if (hour < 0 || !Expect(p, ':')) return FALSE;
  int minute = ReadNumber(p, 2, 2);
  if (minute < 0 || !Expect(p, ':')) return FALSE;
  int second = ReadNumber(p, 2, 2);
  if (second < 0 || !SkipBlanks(p)) return FALSE;
  if (ReadName(p, kZoneNames, 1) < 0) return FALSE;
  SkipBlanks(p);
  if (*p != 0 || hour > 23 || minute > 59 || second > 59) return FALSE;
  ZeroMemory(st, sizeof(*st));
  st->wYear = static_cast<WORD>(year);
  st->wMonth = static_cast<WORD>(month + 1);
  st->wDayOfWeek = static_cast<WORD>(weekday);
  st->wDay = static_cast<WORD>(day);
  st->wHour = static_cast<WORD>(hour);
  st->wMinute = static_cast<WORD>(minute);
  st->wSecond = static_cast<WORD>(second);
  FILETIME ft;  // the day must exist in its month
  return CSystemTime::ToFileTime(*st, &ft);
}

}  // namespace

BOOL ParseHttpDate(const char* pszValue, SYSTEMTIME* pUTC) {
  if (pszValue == nullptr || pUTC == nullptr) return FALSE;
  SYSTEMTIME expected;
  if (!ReadFixdate(pszValue, &expected)) return FALSE;
  CSystemTime read;  // invalid, so that fields left alone never match
  InternetTimeToSystemTimeA(pszValue, &read, 0);
  if (read.wYear != expected.wYear || read.wMonth != expected.wMonth ||
      read.wDay != expected.wDay || read.wHour != expected.wHour ||
      read.wMinute != expected.wMinute || read.wSecond != expected.wSecond) {
    return FALSE;
  }
  *pUTC = expected;
  return TRUE;
}
