#include "support/manual_clock.h"

#include "core/system_time.h"

namespace {
void ToSystemTime(ULONGLONG local, SYSTEMTIME* st, BOOL bUTC) {
  FILETIME ft = U64ToFileTime(local), utc;
  if (bUTC && LocalFileTimeToFileTime(&ft, &utc)) ft = utc;
  FileTimeToSystemTime(&ft, st);
}
}  // namespace

CSkewedClock::CSkewedClock(LONGLONG skewMs) : nSkewMs(skewMs), stLastSet(CSystemTime()) {}

ULONGLONG CSkewedClock::BaseLocal() {
  SYSTEMTIME now;
  FILETIME ft;
  GetWin32Clock()->GetLocalTime(&now);
  CSystemTime::ToFileTime(now, &ft);
  return FileTimeToU64(ft);
}

void CSkewedClock::GetLocalTime(SYSTEMTIME* st) {
  ToSystemTime(BaseLocal() + nSkewMs.load() * kFileTimePerMillisecond, st, FALSE);
}

void CSkewedClock::GetSystemTime(SYSTEMTIME* st) {
  ToSystemTime(BaseLocal() + nSkewMs.load() * kFileTimePerMillisecond, st, TRUE);
}

BOOL CSkewedClock::SetLocalTime(const SYSTEMTIME* st) {
  {
    std::lock_guard<std::mutex> guard(lock);
    ++nSetCount;
    if (st) stLastSet = *st;
  }
  FILETIME wanted;
  if (!st || !CSystemTime::ToFileTime(*st, &wanted)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (DWORD error = dwSetError.load()) {
    SetLastError(error);
    return FALSE;
  }
  LONGLONG diff = static_cast<LONGLONG>(FileTimeToU64(wanted) - BaseLocal());
  nSkewMs.store(diff / kFileTimePerMillisecond);
  return TRUE;
}

int CSkewedClock::GetSetCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return nSetCount;
}

SYSTEMTIME CSkewedClock::GetLastSet() const {
  std::lock_guard<std::mutex> guard(lock);
  return stLastSet;
}

CManualClock::CManualClock(const SYSTEMTIME& local, DWORD ticks) : dwTicks(ticks) { SetLocal(local); }

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
