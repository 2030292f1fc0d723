#include "core/system_time.h"

#include <gtest/gtest.h>

#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/time_text.h"

namespace {

BOOL AllFieldsFFFF(const SYSTEMTIME& st) {
  const WORD* w = &st.wYear;
  for (int i = 0; i < 8; ++i) {
    if (w[i] != 0xFFFF) return FALSE;
  }
  return TRUE;
}

CSystemTime Local(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  return CSystemTime(MakeSystemTime(y, mo, d, h, mi, s, ms));
}

}  // namespace

TEST(SystemTime, InvalidStateAndCopies) {
  CSystemTime t;
  EXPECT_TRUE(AllFieldsFFFF(t));
  EXPECT_FALSE(t.IsValid());
  CSystemTime u = Local(2021, 1, 1, 12);
  EXPECT_TRUE(u.IsValid());
  u = u;  // self-assignment keeps the value
  EXPECT_EQ("2021-01-01 12:00:00.000", TimeText(u));
  t = u;
  EXPECT_EQ(TimeText(u), TimeText(t));
  t.SetInvalid();
  EXPECT_TRUE(AllFieldsFFFF(t));
  SYSTEMTIME raw = MakeSystemTime(1999, 12, 31);
  t = raw;
  EXPECT_EQ("1999-12-31 00:00:00.000", TimeText(t));
  // Values the system does not convert are not times either.
  EXPECT_FALSE(Local(2021, 13, 1).IsValid());
  EXPECT_FALSE(Local(2021, 2, 29).IsValid());
  EXPECT_FALSE(Local(2021, 1, 1, 0, 0, 0, 1000).IsValid());
  EXPECT_FALSE(Local(40000, 1, 1).IsValid());
  EXPECT_TRUE(Local(2020, 2, 29).IsValid());
}

TEST(SystemTime, UnixTimeBothWays) {
  // 2021-01-01 00:00:00 UTC; the milliseconds are dropped, toward zero.
  CSystemTime utc = Local(2021, 1, 1, 0, 0, 0, 999);
  EXPECT_EQ(1609459200LL, utc.GetUnixTime());
  EXPECT_EQ(-1LL, Local(1969, 12, 31, 23, 59, 59).GetUnixTime());
  EXPECT_EQ(0LL, Local(1969, 12, 31, 23, 59, 59, 500).GetUnixTime());
  EXPECT_EQ(-2208988800LL, Local(1900, 1, 1).GetUnixTime());

  // SetFromUnixTime yields local time; read back as UTC it is the instant.
  CSystemTime t(1609459200LL);
  EXPECT_EQ("2021-01-01 00:00:00.000", TimeText(t.ToUTC()));
  EXPECT_EQ("2021-01-01 09:00:00.000", TimeText(t));  // the test zone is +9 h
  EXPECT_EQ(5, t.wDayOfWeek);
  // Only the low 32 bits count, as a signed number.
  t.SetFromUnixTime(0x100000000LL + 5);
  EXPECT_EQ("1970-01-01 00:00:05.000", TimeText(t.ToUTC()));
  t.SetFromUnixTime(0xFFFFFFFFLL);
  EXPECT_EQ("1969-12-31 23:59:59.000", TimeText(t.ToUTC()));
  t.SetFromUnixTime(0x7FFFFFFFLL);
  EXPECT_EQ("2038-01-19 03:14:07.000", TimeText(t.ToUTC()));
  t.SetFromUnixTime(0x80000000LL);
  EXPECT_EQ("1901-12-13 20:45:52.000", TimeText(t.ToUTC()));
}

TEST(SystemTime, ZoneConversionsRoundTrip) {
  SYSTEMTIME utc = MakeSystemTime(2024, 3, 31, 1, 30, 15, 123), local, back;
  ASSERT_TRUE(SystemTimeUTCToLocal(&utc, &local));
  ASSERT_TRUE(SystemTimeLocalToUTC(&local, &back));
  EXPECT_EQ(TimeText(utc), TimeText(back));
  EXPECT_EQ("2024-03-31 10:30:15.123", TimeText(local));
  EXPECT_EQ(TimeText(local), TimeText(CSystemTime(utc).ToLocal()));
  EXPECT_EQ(TimeText(utc), TimeText(CSystemTime(local).ToUTC()));

  // A failed conversion reports FALSE and leaves the output alone.
  SYSTEMTIME bad = MakeSystemTime(2021, 2, 30);
  SYSTEMTIME out = MakeSystemTime(1999, 1, 1);
  EXPECT_FALSE(SystemTimeUTCToLocal(&bad, &out));
  EXPECT_FALSE(SystemTimeLocalToUTC(&bad, &out));
  EXPECT_EQ("1999-01-01 00:00:00.000", TimeText(out));
  EXPECT_FALSE(SystemTimeUTCToLocal(nullptr, &out));
  EXPECT_FALSE(SystemTimeLocalToUTC(&utc, nullptr));
  EXPECT_FALSE(CSystemTime(bad).ToLocal().IsValid());
  EXPECT_TRUE(AllFieldsFFFF(CSystemTime(bad).ToUTC()));
}

TEST(SystemTime, AddMilliseconds) {
  CSystemTime t = Local(2021, 1, 1, 0, 0, 1, 0);
  EXPECT_TRUE(t.AddMilliseconds(-1500));
  EXPECT_EQ("2020-12-31 23:59:59.500", TimeText(t));
  EXPECT_EQ(4, t.wDayOfWeek);  // recomputed: a Thursday
  EXPECT_TRUE(t.AddMilliseconds(500));
  EXPECT_EQ("2021-01-01 00:00:00.000", TimeText(t));
  EXPECT_TRUE(t.AddMilliseconds(LONG_MAX));  // about 24.8 days
  EXPECT_EQ("2021-01-25 20:31:23.647", TimeText(t));
  EXPECT_TRUE(t.AddMilliseconds(LONG_MIN));
  EXPECT_EQ("2020-12-31 23:59:59.999", TimeText(t));
}

TEST(SystemTime, DiffMilliseconds) {
  CSystemTime a = Local(2021, 1, 1);
  EXPECT_EQ(1, a.DiffMilliseconds(Local(2021, 1, 1, 0, 0, 0, 1)));
  EXPECT_EQ(-1500, a.DiffMilliseconds(Local(2020, 12, 31, 23, 59, 58, 500)));
  EXPECT_EQ(24LL * 86400000, a.DiffMilliseconds(Local(2021, 1, 25)));
  // 25 days do not fit in 32 bits: saturated, never wrapped into the other sign.
  EXPECT_EQ(LONG_MAX, a.DiffMilliseconds(Local(2021, 1, 26)));
  EXPECT_EQ(-LONG_MAX, Local(2021, 1, 26).DiffMilliseconds(a));
  EXPECT_EQ(LONG_MAX, a.DiffMilliseconds(Local(2100, 1, 1)));
  // Both sides are read in the same zone, whatever it is.
  EXPECT_EQ(0, a.DiffMilliseconds(a));
}

TEST(SystemTime, InvalidValuesPropagate) {
  CSystemTime invalid;
  CSystemTime valid = Local(2021, 1, 1);
  EXPECT_EQ(CSystemTime::kInvalidUnixTime, invalid.GetUnixTime());
  EXPECT_EQ(CSystemTime::kInvalidFileTime, FileTimeToU64(invalid.GetFileTime()));
  EXPECT_EQ(CSystemTime::kInvalidUnixTime, Local(2021, 2, 30).GetUnixTime());

  CSystemTime t = valid;
  t.SetFromUnixTime(CSystemTime::kInvalidUnixTime);
  EXPECT_TRUE(AllFieldsFFFF(t));
  t = valid;
  t.SetFromFileTime(invalid.GetFileTime());
  EXPECT_TRUE(AllFieldsFFFF(t));
  EXPECT_TRUE(AllFieldsFFFF(CSystemTime(invalid.GetUnixTime())));

  t = invalid;
  EXPECT_FALSE(t.AddMilliseconds(1000));
  EXPECT_TRUE(AllFieldsFFFF(t));
  t = Local(2021, 2, 30);
  EXPECT_FALSE(t.AddMilliseconds(0));
  EXPECT_TRUE(AllFieldsFFFF(t));
  t = Local(1601, 1, 2);  // moved before the start of file time
  EXPECT_FALSE(t.AddMilliseconds(-2 * 86400000));
  EXPECT_TRUE(AllFieldsFFFF(t));

  EXPECT_EQ(CSystemTime::kInvalidDiff, valid.DiffMilliseconds(invalid));
  EXPECT_EQ(CSystemTime::kInvalidDiff, invalid.DiffMilliseconds(valid));
  EXPECT_EQ(CSystemTime::kInvalidDiff, invalid.DiffMilliseconds(invalid));
  EXPECT_TRUE(AllFieldsFFFF(invalid.ToUTC()));
  EXPECT_TRUE(AllFieldsFFFF(invalid.ToLocal()));
}

TEST(SystemTime, GetNowReadsTheInstalledClock) {
  CManualClock clock(MakeSystemTime(2030, 5, 6, 7, 8, 9, 10));
  CClockInstaller install(&clock);
  EXPECT_EQ("2030-05-06 07:08:09.010", TimeText(CSystemTime::GetNow()));
}
