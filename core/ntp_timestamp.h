#pragma once
// The 64-bit NTP timestamp as it stands in an SNTP message: seconds since
// 1900-01-01 00:00 UTC, then a fraction of a second, both big-endian.
#include <windows.h>

constexpr DWORD kNtpToUnixSeconds = 2208988800UL;  // 1900-01-01 to 1970-01-01
// 2^32 - 1, not 2^32: a fraction of 0xFFFFFFFF counts as one whole second.
constexpr double kNtpFractionScale = 4294967295.0;

struct NTP_TIMESTAMP {
  DWORD dwSeconds;   // network order
  DWORD dwFraction;  // network order

  // Stamps a UTC time, the milliseconds truncated into the fraction. Times
  // from 2036-02-07 06:28:16 UTC on wrap into the next NTP era. A value that
  // is not a time gives the zero timestamp (NTP's "unknown"). Always TRUE.
  BOOL FromSystemTime(const SYSTEMTIME& utc);
  // Reads the timestamp as UTC, the fraction rounded to the nearest
  // millisecond (1000 is carried into the next second). Always TRUE; out is
  // invalid only when the system's local conversion fails.
  BOOL ToSystemTime(SYSTEMTIME* out) const;

  // Host-order access.
  DWORD GetSeconds() const;
  DWORD GetFraction() const;
  void Set(DWORD seconds, DWORD fraction);
};
static_assert(sizeof(NTP_TIMESTAMP) == 8, "NTP_TIMESTAMP is 8 wire bytes");
