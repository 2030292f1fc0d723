#include "support/manual_clock.h"

#include "core/system_time.h"

CManualClock::CManualClock(const SYSTEMTIME& local, DWORD ticks) : dwTicks(ticks) {
  CSystemTime invalid;
  stLastSet = invalid;
  SetLocal(local);
}

void CManualClock::GetLocalTime(SYSTEMTIME* st) {
  std::lock_guard<std::mutex> guard(lock);
  FILETIME ft = U64ToFileTime(nLocalFileTime);
  FileTimeToSystemTime(&ft, st);
}

void CManualClock::GetSystemTime(SYSTEMTIME* st) {
  std::lock_guard<std::mutex> guard(lock);
  FILETIME local = U64ToFileTime(nLocalFileTime), utc;
  LocalFileTimeToFileTime(&local, &utc);
  FileTimeToSystemTime(&utc, st);
}

BOOL CManualClock::SetLocal(const SYSTEMTIME& local) {
  FILETIME ft;
  if (!CSystemTime::ToFileTime(local, &ft)) return FALSE;
  std::lock_guard<std::mutex> guard(lock);
  nLocalFileTime = FileTimeToU64(ft);
  return TRUE;
}

BOOL CManualClock::SetUTC(const SYSTEMTIME& utc) {
  SYSTEMTIME local;
  return SystemTimeUTCToLocal(&utc, &local) && SetLocal(local);
}

BOOL CManualClock::SetLocalTime(const SYSTEMTIME* st) {
  {
    std::lock_guard<std::mutex> guard(lock);
    ++nSetCount;
    if (st) stLastSet = *st;
    if (dwSetError) {
      SetLastError(dwSetError);
      return FALSE;
    }
  }
  if (!st || !SetLocal(*st)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

DWORD CManualClock::GetTickCount() {
  std::lock_guard<std::mutex> guard(lock);
  return dwTicks;
}

void CManualClock::Advance(DWORD ms) {
  std::lock_guard<std::mutex> guard(lock);
  nLocalFileTime += static_cast<ULONGLONG>(ms) * kFileTimePerMillisecond;
  dwTicks += ms;  // wraps like the real counter
}

void CManualClock::Sleep(DWORD ms) {
  {
    std::lock_guard<std::mutex> guard(lock);
    ++nSleepCount;
  }
  Advance(ms);
  // Lets other threads run, so a polling loop does not starve them.
  GetWin32Clock()->Sleep(0);
}

void CManualClock::SetTicks(DWORD ticks) {
  std::lock_guard<std::mutex> guard(lock);
  dwTicks = ticks;
}

void CManualClock::FailSetLocalTime(DWORD error) {
  std::lock_guard<std::mutex> guard(lock);
  dwSetError = error;
}

int CManualClock::GetSetCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return nSetCount;
}

SYSTEMTIME CManualClock::GetLastSet() const {
  std::lock_guard<std::mutex> guard(lock);
  return stLastSet;
}

int CManualClock::GetSleepCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return nSleepCount;
}
