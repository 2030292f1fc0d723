#include "support/skewed_clock.h"

#include "core/system_time.h"

ULONGLONG CSkewedClock::BaseLocal() {
  SYSTEMTIME now;
  FILETIME ft;
  GetWin32Clock()->GetLocalTime(&now);
  CSystemTime::ToFileTime(now, &ft);
  return FileTimeToU64(ft);
}

void CSkewedClock::ToSystemTime(SYSTEMTIME* st, BOOL bUTC) {
  FILETIME ft = U64ToFileTime(BaseLocal() + nSkewMs.load() * kFileTimePerMillisecond), utc;
  if (bUTC && LocalFileTimeToFileTime(&ft, &utc)) ft = utc;
  FileTimeToSystemTime(&ft, st);
}

BOOL CSkewedClock::SetLocalTime(const SYSTEMTIME* st) {
  ++nSetCount;
  FILETIME wanted;
  if (st) {
    std::lock_guard<std::mutex> guard(lock);
    stLastSet = *st;
  }
  if (!st || !CSystemTime::ToFileTime(*st, &wanted)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  nSkewMs.store(static_cast<LONGLONG>(FileTimeToU64(wanted) - BaseLocal()) / kFileTimePerMillisecond);
  return TRUE;
}

SYSTEMTIME CSkewedClock::GetLastSet() const {
  std::lock_guard<std::mutex> guard(lock);
  return stLastSet;
}

BOOL CManualClock::SetLocal(const SYSTEMTIME& local) {
  FILETIME ft;
  if (!CSystemTime::ToFileTime(local, &ft)) return FALSE;
  nLocal.store(FileTimeToU64(ft));
  nSkewMs.store(0);
  return TRUE;
}

BOOL CManualClock::SetUTC(const SYSTEMTIME& utc) {
  SYSTEMTIME local;
  return SystemTimeUTCToLocal(&utc, &local) && SetLocal(local);
}

void CManualClock::Advance(DWORD ms) {
  nLocal += static_cast<ULONGLONG>(ms) * kFileTimePerMillisecond;
  dwTicks += ms;  // wraps like the real counter
}

void CManualClock::Sleep(DWORD ms) {
  ++nSleepCount;
  Advance(ms);
  GetWin32Clock()->Sleep(0);  // lets other threads run, so a polling loop does not starve them
}
