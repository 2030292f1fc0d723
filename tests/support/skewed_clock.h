#pragma once
// The virtual clocks of the tests, and the installer that puts one in place
// for its lifetime (then the one installed before).
#include <atomic>
#include <mutex>

#include "core/clock.h"

// The real clock shifted by a chosen skew. SetLocalTime moves the skew (the
// next read shows the new time) and records the call; it refuses a value
// that is not a time (FALSE, ERROR_INVALID_PARAMETER). The tick count and
// Sleep are the real ones.
class CSkewedClock : public CClock {
 public:
  explicit CSkewedClock(LONGLONG skewMs = 0) : nSkewMs(skewMs) {}

  void GetLocalTime(SYSTEMTIME* st) override { ToSystemTime(st, FALSE); }
  void GetSystemTime(SYSTEMTIME* st) override { ToSystemTime(st, TRUE); }
  BOOL SetLocalTime(const SYSTEMTIME* st) override;
  DWORD GetTickCount() override { return GetWin32Clock()->GetTickCount(); }
  void Sleep(DWORD ms) override { GetWin32Clock()->Sleep(ms); }

  LONGLONG GetSkew() const { return nSkewMs.load(); }
  void SetSkew(LONGLONG ms) { nSkewMs.store(ms); }
  int GetSetCount() const { return nSetCount.load(); }
  SYSTEMTIME GetLastSet() const;  // all 0xFFFF before the first call

 protected:
  // The unshifted local time in 100-ns units since 1601: the real one here.
  virtual ULONGLONG BaseLocal();
  void ToSystemTime(SYSTEMTIME* st, BOOL bUTC);

  std::atomic<LONGLONG> nSkewMs;
  std::atomic<int> nSetCount{0};
  mutable std::mutex lock;
  SYSTEMTIME stLastSet = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

// A fully simulated clock: a settable local time (UTC derived through the
// system's zone conversion) and tick count. Sleep(ms) and Advance(ms) move
// both without waiting (Sleep only yields); the tick count wraps like the real one.
class CManualClock : public CSkewedClock {
 public:
  explicit CManualClock(const SYSTEMTIME& local, DWORD ticks = 0) : dwTicks(ticks) { SetLocal(local); }

  DWORD GetTickCount() override { return dwTicks.load(); }
  void Sleep(DWORD ms) override;
  void Advance(DWORD ms);
  BOOL SetLocal(const SYSTEMTIME& local);  // without recording a set
  BOOL SetUTC(const SYSTEMTIME& utc);
  int GetSleepCount() const { return nSleepCount.load(); }

 protected:
  ULONGLONG BaseLocal() override { return nLocal.load(); }

 private:
  std::atomic<ULONGLONG> nLocal{0};
  std::atomic<DWORD> dwTicks;
  std::atomic<int> nSleepCount{0};
};

struct CClockInstaller {
  explicit CClockInstaller(CClock* clock) : pPrevious(SetClock(clock)) {}
  ~CClockInstaller() { SetClock(pPrevious); }
  CClock* const pPrevious;
};
