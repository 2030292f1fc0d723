#include "core/clock.h"

#include <gtest/gtest.h>

#include "core/system_time.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/skewed_clock.h"
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

TEST(SkewedClock, ShiftsTheRealClockAndMovesOnSet) {
  CSkewedClock clock(-3000);
  SYSTEMTIME real, skewed;
  GetWin32Clock()->GetSystemTime(&real);
  clock.GetSystemTime(&skewed);
  EXPECT_NEAR(-3000, Ms(skewed) - Ms(real), 1000);
  GetWin32Clock()->GetLocalTime(&real);
  clock.GetLocalTime(&skewed);
  EXPECT_NEAR(-3000, Ms(skewed) - Ms(real), 1000);
  EXPECT_EQ(0, clock.GetSetCount());

  // Setting ten minutes ahead of the real local time moves the skew there.
  CSystemTime wanted = CSystemTime::GetNow();  // still the Win32 clock
  wanted.AddMilliseconds(600000);
  ASSERT_TRUE(clock.SetLocalTime(&wanted));
  EXPECT_NEAR(600000, clock.GetSkew(), 1000);
  clock.GetLocalTime(&skewed);
  EXPECT_NEAR(0, Ms(skewed) - Ms(wanted), 1000);
  EXPECT_EQ(1, clock.GetSetCount());
  EXPECT_EQ(TimeText(wanted), TimeText(clock.GetLastSet()));

  CSystemTime invalid;
  EXPECT_FALSE(clock.SetLocalTime(&invalid));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
  clock.FailSetLocalTime(ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_FALSE(clock.SetLocalTime(&wanted));
  EXPECT_EQ(ERROR_PRIVILEGE_NOT_HELD, GetLastError());
  EXPECT_EQ(3, clock.GetSetCount());
  EXPECT_NEAR(600000, clock.GetSkew(), 1000);  // refused sets leave it
}

TEST(ManualClock, SimulatesTimeTicksAndSets) {
  CManualClock clock(MakeSystemTime(2021, 1, 1, 9, 0, 0, 250), 0xFFFFFF00u);
  SYSTEMTIME st;
  clock.GetLocalTime(&st);
  EXPECT_EQ("2021-01-01 09:00:00.250", TimeText(st));
  EXPECT_EQ(5, st.wDayOfWeek);  // a Friday, filled in by the conversion
  clock.GetSystemTime(&st);
  EXPECT_EQ("2021-01-01 00:00:00.250", TimeText(st));  // the test zone is +9 h

  // Sleep and Advance move both; the tick count wraps through zero.
  clock.Sleep(0x80);
  clock.Advance(0x100);
  EXPECT_EQ(0x80u, clock.GetTickCount());
  clock.GetLocalTime(&st);
  EXPECT_EQ("2021-01-01 09:00:00.634", TimeText(st));
  EXPECT_EQ(1, clock.GetSleepCount());

  SYSTEMTIME set = MakeSystemTime(2020, 2, 29, 23, 59, 59, 999);
  EXPECT_TRUE(clock.SetLocalTime(&set));
  clock.GetLocalTime(&st);
  EXPECT_EQ(TimeText(set), TimeText(st));
  EXPECT_EQ(1, clock.GetSetCount());
  EXPECT_EQ(TimeText(set), TimeText(clock.GetLastSet()));
  EXPECT_EQ(0x80u, clock.GetTickCount());  // setting the time leaves the ticks

  SYSTEMTIME bad = MakeSystemTime(2021, 2, 30);
  EXPECT_FALSE(clock.SetLocalTime(&bad));
  clock.FailSetLocalTime(ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_FALSE(clock.SetLocalTime(&set));
  EXPECT_EQ(ERROR_PRIVILEGE_NOT_HELD, GetLastError());
  EXPECT_EQ(3, clock.GetSetCount());
  clock.GetLocalTime(&st);
  EXPECT_EQ(TimeText(set), TimeText(st));

  EXPECT_TRUE(clock.SetUTC(MakeSystemTime(2021, 6, 30, 20)));
  clock.GetLocalTime(&st);
  EXPECT_EQ("2021-07-01 05:00:00.000", TimeText(st));
  clock.SetTicks(7);
  EXPECT_EQ(7u, clock.GetTickCount());
  EXPECT_EQ(3, clock.GetSetCount());  // SetUTC and SetTicks are not recorded
}
