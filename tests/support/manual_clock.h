#pragma once
// A fully simulated clock: a settable local time (UTC derived through the
// system's zone conversion) and tick count. Sleep(ms) and Advance(ms) move
// both without waiting; the tick count wraps like the real one.
#include "support/skewed_clock.h"

class CManualClock : public CSkewedClock {
 public:
  explicit CManualClock(const SYSTEMTIME& local, DWORD ticks = 0);

  DWORD GetTickCount() override { return dwTicks.load(); }
  // Advances time and ticks at once; only yields the processor for real.
  void Sleep(DWORD ms) override;

  void Advance(DWORD ms);
  BOOL SetLocal(const SYSTEMTIME& local);  // without recording a set
  BOOL SetUTC(const SYSTEMTIME& utc);
  void SetTicks(DWORD ticks) { dwTicks.store(ticks); }
  int GetSleepCount() const { return nSleepCount.load(); }

 protected:
  ULONGLONG BaseLocal() override { return nLocal.load(); }

 private:
  std::atomic<ULONGLONG> nLocal{0};
  std::atomic<DWORD> dwTicks;
  std::atomic<int> nSleepCount{0};
};
