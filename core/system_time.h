#pragma once
// Calendar values and their conversions to file time, Unix time and between
// UTC and local time (the zone conversion is always the system's).
#include <windows.h>

#include <climits>

// 1601-01-01 to 1970-01-01 in 100-ns units (11644473600 s).
constexpr LONGLONG kUnixEpochAsFileTime = 116444736000000000LL;
constexpr LONGLONG kUnixEpochSeconds = 11644473600LL;
constexpr LONGLONG kFileTimePerSecond = 10000000LL;
constexpr LONGLONG kFileTimePerMillisecond = 10000LL;

// UTC in, local out (and the reverse). FALSE when any of the three system
// steps fails; the output is written only by the last one.
BOOL SystemTimeUTCToLocal(const SYSTEMTIME* pUTC, SYSTEMTIME* pLocal);
BOOL SystemTimeLocalToUTC(const SYSTEMTIME* pLocal, SYSTEMTIME* pUTC);

class CSystemTime : public SYSTEMTIME {
 public:
  // What the operations give for a value that is not a time (the invalid
  // state or fields the system refuses to convert), so that invalidity
  // propagates instead of turning into some arbitrary date:
  //   GetFileTime      -> kInvalidFileTime (all bits set; refused by SetFromFileTime)
  //   GetUnixTime      -> kInvalidUnixTime (refused by SetFromUnixTime)
  //   AddMilliseconds  -> the object becomes invalid, result FALSE
  //   DiffMilliseconds -> kInvalidDiff
  static constexpr ULONGLONG kInvalidFileTime = ~0ULL;
  static constexpr LONGLONG kInvalidUnixTime = LLONG_MIN;
  static constexpr LONG kInvalidDiff = LONG_MIN;

  CSystemTime();  // invalid
  CSystemTime(const SYSTEMTIME& st);
  explicit CSystemTime(LONGLONG unixTime);  // local time
  CSystemTime(const CSystemTime& other);
  virtual ~CSystemTime();

  CSystemTime& operator=(const CSystemTime& other);
  CSystemTime& operator=(const SYSTEMTIME& st);

  void SetInvalid();
  // TRUE when the fields form a time the system converts (the invalid state
  // never does).
  BOOL IsValid() const;

  void SetFromFileTime(const FILETIME& utc);  // result in local time
  void SetFromUnixTime(LONGLONG t);           // result in local time
  LONGLONG GetUnixTime() const;               // fields read as UTC
  FILETIME GetFileTime() const;               // no zone change

  static CSystemTime GetNow();  // local time from the clock interface

  CSystemTime ToUTC() const;    // fields read as local time
  CSystemTime ToLocal() const;  // fields read as UTC

  // Adds ms to this local time. FALSE (and invalid) when the value is not a
  // time or the result falls outside the range the system converts.
  BOOL AddMilliseconds(LONG ms);

  // other minus this, in ms, both read in the same zone. Differences beyond
  // the 32-bit range saturate to +/-LONG_MAX instead of wrapping: a wrapped
  // value could flip the sign of a clock correction, and keeping LONG_MIN out
  // of the range lets callers negate the result safely. LONG_MIN itself
  // (kInvalidDiff) means that one side is not a time.
  LONG DiffMilliseconds(const SYSTEMTIME& other) const;

  // The system's SystemTimeToFileTime with the range it guarantees (years up
  // to 30827); FALSE for a value that is not a time.
  static BOOL ToFileTime(const SYSTEMTIME& st, FILETIME* ft);
};

// 64-bit helpers around FILETIME.
inline ULONGLONG FileTimeToU64(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}
inline FILETIME U64ToFileTime(ULONGLONG v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}
