#pragma once
// The real clock shifted by a chosen skew. SetLocalTime moves the skew (the
// next read shows the new time) and records the call; the tick count and
// Sleep are the real ones.
#include <atomic>
#include <mutex>

#include "core/clock.h"

class CSkewedClock : public CClock {
 public:
  explicit CSkewedClock(LONGLONG skewMs = 0);

  void GetLocalTime(SYSTEMTIME* st) override;
  void GetSystemTime(SYSTEMTIME* st) override;
  // Refuses a value that is not a time (FALSE, ERROR_INVALID_PARAMETER) and,
  // after FailSetLocalTime(error), every value with that error; every call is
  // recorded either way.
  BOOL SetLocalTime(const SYSTEMTIME* st) override;
  DWORD GetTickCount() override { return GetWin32Clock()->GetTickCount(); }
  void Sleep(DWORD ms) override { GetWin32Clock()->Sleep(ms); }

  LONGLONG GetSkew() const { return nSkewMs.load(); }
  void SetSkew(LONGLONG ms) { nSkewMs.store(ms); }
  void FailSetLocalTime(DWORD error) { dwSetError.store(error); }  // 0 = succeed
  int GetSetCount() const;
  SYSTEMTIME GetLastSet() const;  // all 0xFFFF before the first call

 protected:
  // The unshifted local time in 100-ns units since 1601: the real one here.
  virtual ULONGLONG BaseLocal();

  std::atomic<LONGLONG> nSkewMs;
  std::atomic<DWORD> dwSetError{0};
  mutable std::mutex lock;
  int nSetCount = 0;
  SYSTEMTIME stLastSet;
};
