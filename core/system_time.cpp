#include "core/system_time.h"

#include "core/clock.h"

namespace {

constexpr ULONGLONG kTopBit = 1ULL << 63;

// FileTimeToSystemTime into a temporary, so a failure never leaves half a value.
BOOL FileTimeToFields(const FILETIME& ft, SYSTEMTIME* out) {
  if (FileTimeToU64(ft) & kTopBit) return FALSE;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return FALSE;
  *out = st;
  return TRUE;
}

BOOL IsCalendarTime(const SYSTEMTIME& st) {
  static const WORD kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12) return FALSE;
  BOOL leap = (st.wYear % 4 == 0 && st.wYear % 100 != 0) || st.wYear % 400 == 0;
  WORD days = kDays[st.wMonth - 1] + (st.wMonth == 2 && leap ? 1 : 0);
  return st.wDay >= 1 && st.wDay <= days && st.wHour < 24 && st.wMinute < 60 &&
         st.wSecond < 60 && st.wMilliseconds < 1000;
}

}  // namespace

BOOL CSystemTime::ToFileTime(const SYSTEMTIME& st, FILETIME* ft) {
  // The checks Windows makes; not every implementation makes all of them
  // (some accept 29 February of any year).
  if (!IsCalendarTime(st)) return FALSE;
  FILETIME r;
  if (!SystemTimeToFileTime(&st, &r)) return FALSE;
  if (FileTimeToU64(r) & kTopBit) return FALSE;
  *ft = r;
  return TRUE;
}

BOOL SystemTimeUTCToLocal(const SYSTEMTIME* pUTC, SYSTEMTIME* pLocal) {
  if (!pUTC || !pLocal) return FALSE;
  FILETIME ft, local;
  if (!CSystemTime::ToFileTime(*pUTC, &ft)) return FALSE;
  if (!FileTimeToLocalFileTime(&ft, &local)) return FALSE;
  return FileTimeToFields(local, pLocal);
}

BOOL SystemTimeLocalToUTC(const SYSTEMTIME* pLocal, SYSTEMTIME* pUTC) {
  if (!pLocal || !pUTC) return FALSE;
  FILETIME local, ft;
  if (!CSystemTime::ToFileTime(*pLocal, &local)) return FALSE;
  if (!LocalFileTimeToFileTime(&local, &ft)) return FALSE;
  return FileTimeToFields(ft, pUTC);
}

CSystemTime::CSystemTime() { SetInvalid(); }

CSystemTime::CSystemTime(const SYSTEMTIME& st) : SYSTEMTIME(st) {}

CSystemTime::CSystemTime(LONGLONG unixTime) { SetFromUnixTime(unixTime); }

CSystemTime::CSystemTime(const CSystemTime& other) : SYSTEMTIME(other) {}

CSystemTime::~CSystemTime() {}

CSystemTime& CSystemTime::operator=(const CSystemTime& other) {
  if (this != &other) static_cast<SYSTEMTIME&>(*this) = other;
  return *this;
}

CSystemTime& CSystemTime::operator=(const SYSTEMTIME& st) {
  if (static_cast<const SYSTEMTIME*>(this) != &st) static_cast<SYSTEMTIME&>(*this) = st;
  return *this;
}

void CSystemTime::SetInvalid() {
  wYear = wMonth = wDayOfWeek = wDay = 0xFFFF;
  wHour = wMinute = wSecond = wMilliseconds = 0xFFFF;
}

BOOL CSystemTime::IsValid() const {
  FILETIME ft;
  return ToFileTime(*this, &ft);
}

void CSystemTime::SetFromFileTime(const FILETIME& utc) {
  FILETIME local;
  if ((FileTimeToU64(utc) & kTopBit) || !FileTimeToLocalFileTime(&utc, &local) ||
      !FileTimeToFields(local, this)) {
    SetInvalid();
  }
}

void CSystemTime::SetFromUnixTime(LONGLONG t) {
  if (t == kInvalidUnixTime) {
    SetInvalid();
    return;
  }
  // Only the low 32 bits count, as a signed number: 1901-12-13 to 2038-01-19.
  LONG s = static_cast<LONG>(static_cast<DWORD>(t));
  LONGLONG ft = (static_cast<LONGLONG>(s) + kUnixEpochSeconds) * kFileTimePerSecond;
  SetFromFileTime(U64ToFileTime(static_cast<ULONGLONG>(ft)));
}

LONGLONG CSystemTime::GetUnixTime() const {
  FILETIME ft;
  if (!ToFileTime(*this, &ft)) return kInvalidUnixTime;
  // Signed division truncates toward zero, dropping the milliseconds.
  return (static_cast<LONGLONG>(FileTimeToU64(ft)) - kUnixEpochAsFileTime) / kFileTimePerSecond;
}

FILETIME CSystemTime::GetFileTime() const {
  FILETIME ft;
  if (!ToFileTime(*this, &ft)) ft = U64ToFileTime(kInvalidFileTime);
  return ft;
}

CSystemTime CSystemTime::GetNow() {
  CSystemTime now;
  GetClock()->GetLocalTime(&now);
  return now;
}

CSystemTime CSystemTime::ToUTC() const {
  CSystemTime r;
  SystemTimeLocalToUTC(this, &r);
  return r;
}

CSystemTime CSystemTime::ToLocal() const {
  CSystemTime r;
  SystemTimeUTCToLocal(this, &r);
  return r;
}

BOOL CSystemTime::AddMilliseconds(LONG ms) {
  ULONGLONG ft = FileTimeToU64(ToUTC().GetFileTime());
  if (ft == kInvalidFileTime) {
    SetInvalid();
    return FALSE;
  }
  LONGLONG moved = static_cast<LONGLONG>(ft) + static_cast<LONGLONG>(ms) * kFileTimePerMillisecond;
  if (moved < 0) {  // before 1601
    SetInvalid();
    return FALSE;
  }
  SetFromFileTime(U64ToFileTime(static_cast<ULONGLONG>(moved)));
  return IsValid();
}

LONG CSystemTime::DiffMilliseconds(const SYSTEMTIME& other) const {
  CSystemTime o(other);
  ULONGLONG a = FileTimeToU64(GetFileTime());
  ULONGLONG b = FileTimeToU64(o.GetFileTime());
  if (a == kInvalidFileTime || b == kInvalidFileTime) return kInvalidDiff;
  LONGLONG d = (static_cast<LONGLONG>(b) - static_cast<LONGLONG>(a)) / kFileTimePerMillisecond;
  if (d > LONG_MAX) return LONG_MAX;
  if (d < -LONG_MAX) return -LONG_MAX;
  return static_cast<LONG>(d);
}
