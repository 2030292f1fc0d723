#pragma once
// Small helpers for tests that compare calendar values: build a SYSTEMTIME
// and show one as "YYYY-MM-DD hh:mm:ss.mmm" (the day of week left out).
#include <windows.h>

#include <cstdio>
#include <string>

inline SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                                 WORD second = 0, WORD ms = 0) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  return st;
}

inline std::string TimeText(const SYSTEMTIME& st) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  return text;
}
