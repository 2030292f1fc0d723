#pragma once
// The tests' virtual clocks, and an installer that puts one in place for its lifetime.
#include <atomic>
#include <mutex>

#include "core/clock.h"

// The real clock shifted by a skew; SetLocalTime records the call and moves the skew, refusing a non-time.
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

// A simulated local time (UTC by the system's zone) and tick count; Sleep and Advance move both without waiting.
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
