#include "support/skewed_clock.h"

#include "core/system_time.h"

namespace {

void Shift(SYSTEMTIME* st, LONGLONG ms) {
  FILETIME ft;
  if (!CSystemTime::ToFileTime(*st, &ft)) return;
  FILETIME moved = U64ToFileTime(FileTimeToU64(ft) + ms * kFileTimePerMillisecond);
  FileTimeToSystemTime(&moved, st);
}

}  // namespace

CSkewedClock::CSkewedClock(LONGLONG skewMs) : nSkewMs(skewMs) {
  CSystemTime invalid;
  stLastSet = invalid;
}

void CSkewedClock::GetLocalTime(SYSTEMTIME* st) {
  GetWin32Clock()->GetLocalTime(st);
  Shift(st, nSkewMs.load());
}

void CSkewedClock::GetSystemTime(SYSTEMTIME* st) {
  GetWin32Clock()->GetSystemTime(st);
  Shift(st, nSkewMs.load());
}

BOOL CSkewedClock::SetLocalTime(const SYSTEMTIME* st) {
  {
    std::lock_guard<std::mutex> guard(lock);
    ++nSetCount;
    if (st) stLastSet = *st;
  }
  FILETIME wanted, real;
  SYSTEMTIME now;
  GetWin32Clock()->GetLocalTime(&now);
  if (!st || !CSystemTime::ToFileTime(*st, &wanted) || !CSystemTime::ToFileTime(now, &real)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (DWORD error = dwSetError.load()) {
    SetLastError(error);
    return FALSE;
  }
  LONGLONG diff = static_cast<LONGLONG>(FileTimeToU64(wanted)) -
                  static_cast<LONGLONG>(FileTimeToU64(real));
  nSkewMs.store(diff / kFileTimePerMillisecond);
  return TRUE;
}

DWORD CSkewedClock::GetTickCount() { return GetWin32Clock()->GetTickCount(); }

void CSkewedClock::Sleep(DWORD ms) { GetWin32Clock()->Sleep(ms); }

int CSkewedClock::GetSetCount() const {
  std::lock_guard<std::mutex> guard(lock);
  return nSetCount;
}

SYSTEMTIME CSkewedClock::GetLastSet() const {
  std::lock_guard<std::mutex> guard(lock);
  return stLastSet;
}
