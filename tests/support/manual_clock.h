#pragma once
// A fully simulated clock: a settable local time (UTC derived through the
// system's zone conversion) and tick count. Sleep(ms) and Advance(ms) move
// both without waiting; the tick count wraps like the real one.
#include <mutex>

#include "core/clock.h"

class CManualClock : public CClock {
 public:
  // Starts at the given local time and tick count.
  explicit CManualClock(const SYSTEMTIME& local, DWORD ticks = 0);

  void GetLocalTime(SYSTEMTIME* st) override;
  void GetSystemTime(SYSTEMTIME* st) override;
  // Sets the local time (FALSE with ERROR_INVALID_PARAMETER for a value that
  // is not a time, or FALSE with the error set by FailSetLocalTime); every
  // call is recorded.
  BOOL SetLocalTime(const SYSTEMTIME* st) override;
  DWORD GetTickCount() override;
  // Advances time and ticks at once; only yields the processor for real.
  void Sleep(DWORD ms) override;

  void Advance(DWORD ms);
  BOOL SetLocal(const SYSTEMTIME& local);  // without recording a set
  BOOL SetUTC(const SYSTEMTIME& utc);
  void SetTicks(DWORD ticks);
  void FailSetLocalTime(DWORD error);  // 0 = succeed

  int GetSetCount() const;
  SYSTEMTIME GetLastSet() const;  // all 0xFFFF before the first call
  int GetSleepCount() const;

 private:
  mutable std::mutex lock;
  ULONGLONG nLocalFileTime = 0;  // local time in 100-ns units since 1601
  DWORD dwTicks;
  DWORD dwSetError = 0;
  int nSetCount = 0;
  int nSleepCount = 0;
  SYSTEMTIME stLastSet;
};
