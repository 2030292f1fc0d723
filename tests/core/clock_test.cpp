#include "core/clock.h"

#include <gtest/gtest.h>

#include "core/system_time.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/time_text.h"

namespace {

// Local file time minus UTC file time of one reading, in ms.
LONGLONG Ms(const SYSTEMTIME& st) {
  FILETIME ft;
  EXPECT_TRUE(CSystemTime::ToFileTime(st, &ft));
  return static_cast<LONGLONG>(FileTimeToU64(ft)) / kFileTimePerMillisecond;
}

}  // namespace

TEST(Clock, InstallingAndRestoring) {
  CClock* win32 = GetWin32Clock();
  EXPECT_EQ(win32, GetClock());
  CManualClock a(MakeSystemTime(2021, 1, 1));
  CManualClock b(MakeSystemTime(2022, 1, 1));
  {
    CClockInstaller outer(&a);
    EXPECT_EQ(&a, GetClock());
    {
      CClockInstaller inner(&b);
      EXPECT_EQ(&b, GetClock());
    }
    EXPECT_EQ(&a, GetClock());
  }
  EXPECT_EQ(win32, GetClock());
  EXPECT_EQ(win32, SetClock(&a));
  EXPECT_EQ(&a, SetClock(nullptr));  // nullptr puts the Win32 clock back
  EXPECT_EQ(win32, GetClock());
}

TEST(Clock, Win32ClockIsConsistentAndRefusesNonsense) {
  CClock* c = GetWin32Clock();
  SYSTEMTIME local, utc, back;
  c->GetSystemTime(&utc);
  c->GetLocalTime(&local);
  ASSERT_TRUE(SystemTimeLocalToUTC(&local, &back));
  EXPECT_LT(std::llabs(Ms(back) - Ms(utc)), 5000);
  // An invalid value never reaches the clock.
  CSystemTime invalid;
  EXPECT_FALSE(c->SetLocalTime(&invalid));
  // The tick count moves in steps of 10 to 16 ms, on Windows as under Wine.
  DWORD t0 = c->GetTickCount();
  c->Sleep(60);
  EXPECT_GE(c->GetTickCount() - t0, 30u);
}
