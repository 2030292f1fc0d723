#pragma once
// Installs a clock for the lifetime of the object, then puts back the one
// that was installed before.
#include "core/clock.h"

class CClockInstaller {
 public:
  explicit CClockInstaller(CClock* clock) : pPrevious(SetClock(clock)) {}
  ~CClockInstaller() { SetClock(pPrevious); }
  CClockInstaller(const CClockInstaller&) = delete;
  CClockInstaller& operator=(const CClockInstaller&) = delete;

 private:
  CClock* pPrevious;
};
