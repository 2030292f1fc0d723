#include "core/ntp_timestamp.h"

#include <winsock.h>

#include "core/system_time.h"

DWORD NTP_TIMESTAMP::GetSeconds() const { return ntohl(dwSeconds); }

DWORD NTP_TIMESTAMP::GetFraction() const { return ntohl(dwFraction); }

void NTP_TIMESTAMP::Set(DWORD seconds, DWORD fraction) {
  dwSeconds = htonl(seconds);
  dwFraction = htonl(fraction);
}

BOOL NTP_TIMESTAMP::FromSystemTime(const SYSTEMTIME& utc) {
  CSystemTime whole(utc);
  whole.wMilliseconds = 0;
  LONGLONG t = whole.GetUnixTime();
  if (t == CSystemTime::kInvalidUnixTime || utc.wMilliseconds > 999) {
    Set(0, 0);
    return TRUE;
  }
  DWORD seconds = static_cast<DWORD>(t + kNtpToUnixSeconds);  // low 32 bits: era wrap
  // Truncated, not rounded: 999 ms gives 0xFFBE76C7.
  DWORD fraction = static_cast<DWORD>(utc.wMilliseconds / 1000.0 * kNtpFractionScale);
  Set(seconds, fraction);
  return TRUE;
}

BOOL NTP_TIMESTAMP::ToSystemTime(SYSTEMTIME* out) const {
  if (!out) return FALSE;
  LONG s = static_cast<LONG>(GetSeconds() - kNtpToUnixSeconds);
  DWORD ms = static_cast<DWORD>(GetFraction() / kNtpFractionScale * 1000.0 + 0.5);
  LONGLONG carry = 0;
  if (ms >= 1000) {
    ms = 0;
    carry = 1;
  }
  // Through file time rather than SetFromUnixTime so that the carry from
  // 2038-01-19 03:14:07 does not wrap into 1901.
  LONGLONG ft = (static_cast<LONGLONG>(s) + carry + kUnixEpochSeconds) * kFileTimePerSecond;
  CSystemTime local;
  local.SetFromFileTime(U64ToFileTime(static_cast<ULONGLONG>(ft)));
  CSystemTime utc = local.ToUTC();  // the same instant, back in UTC
  if (utc.IsValid()) utc.wMilliseconds = static_cast<WORD>(ms);
  *out = utc;
  return TRUE;
}
