#include "support/suite.h"

namespace {
bool AllFieldsFFFF(const SYSTEMTIME& st) {
  const SYSTEMTIME ff = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  return memcmp(&st, &ff, sizeof(st)) == 0;
}

CSystemTime Local(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  return CSystemTime(MakeSystemTime(y, mo, d, h, mi, s, ms));
}

std::string FromUnix(LONGLONG t) {
  CSystemTime st(Local(2021, 1, 1));
  st.SetFromUnixTime(t);
  return TimeText(st.ToUTC());
}
}  // namespace

// (Installing a clock: every test on a virtual clock.)
TEST(Clock, AnInvalidTimeNeverReachesTheSystem) {
  CSystemTime invalid;
  EXPECT_FALSE(GetWin32Clock()->SetLocalTime(&invalid));
}

TEST(SystemTime, ValidityUnixTimeAndZones) {
  EXPECT_FALSE(CSystemTime().IsValid());
  for (CSystemTime bad : {Local(2021, 13, 1), Local(2021, 2, 29), Local(2021, 1, 1, 0, 0, 0, 1000),
                          Local(40000, 1, 1)})
    EXPECT_FALSE(bad.IsValid()) << TimeText(bad);
  EXPECT_TRUE(Local(2020, 2, 29).IsValid());
  // Milliseconds are dropped toward zero; only the low 32 bits count, signed.
  EXPECT_EQ(1609459200LL, Local(2021, 1, 1, 0, 0, 0, 999).GetUnixTime());
  EXPECT_EQ(0LL, Local(1969, 12, 31, 23, 59, 59, 500).GetUnixTime());
  EXPECT_EQ(-2208988800LL, Local(1900, 1, 1).GetUnixTime());
  EXPECT_EQ("2021-01-01 09:00:00.000", TimeText(CSystemTime(1609459200LL)));  // local: +9 h
  EXPECT_EQ(5, CSystemTime(1609459200LL).wDayOfWeek);
  EXPECT_EQ("1970-01-01 00:00:05.000", FromUnix(0x100000000LL + 5));
  EXPECT_EQ("1969-12-31 23:59:59.000", FromUnix(0xFFFFFFFFLL));
  EXPECT_EQ("2038-01-19 03:14:07.000", FromUnix(0x7FFFFFFFLL));
  EXPECT_EQ("1901-12-13 20:45:52.000", FromUnix(0x80000000LL));

  SYSTEMTIME utc = MakeSystemTime(2024, 3, 31, 1, 30, 15, 123), local, back;
  ASSERT_TRUE(SystemTimeUTCToLocal(&utc, &local) && SystemTimeLocalToUTC(&local, &back));
  EXPECT_EQ("2024-03-31 10:30:15.123", TimeText(local));
  EXPECT_EQ(TimeText(utc), TimeText(back));
  // A failed conversion reports FALSE and leaves the output alone.
  SYSTEMTIME bad = MakeSystemTime(2021, 2, 30), out = MakeSystemTime(1999, 1, 1);
  EXPECT_FALSE(SystemTimeUTCToLocal(&bad, &out) || SystemTimeLocalToUTC(&bad, &out));
  EXPECT_EQ("1999-01-01 00:00:00.000", TimeText(out));
  EXPECT_FALSE(SystemTimeUTCToLocal(nullptr, &out) || SystemTimeLocalToUTC(&utc, nullptr));
}

TEST(SystemTime, AddAndDiffSaturateAndInvalidValuesPropagate) {
  CSystemTime t = Local(2021, 1, 1, 0, 0, 1, 0);
  EXPECT_TRUE(t.AddMilliseconds(-1500));
  EXPECT_EQ("2020-12-31 23:59:59.500", TimeText(t));
  EXPECT_EQ(4, t.wDayOfWeek);  // recomputed: a Thursday
  EXPECT_TRUE(t.AddMilliseconds(LONG_MAX));
  EXPECT_EQ("2021-01-25 20:31:23.147", TimeText(t));
  CSystemTime a = Local(2021, 1, 1);
  EXPECT_EQ(-1500, a.DiffMilliseconds(Local(2020, 12, 31, 23, 59, 58, 500)));
  EXPECT_EQ(24LL * 86400000, a.DiffMilliseconds(Local(2021, 1, 25)));
  // 25 days do not fit in 32 bits: saturated, never wrapped into the other sign.
  EXPECT_EQ(LONG_MAX, a.DiffMilliseconds(Local(2021, 1, 26)));
  EXPECT_EQ(-LONG_MAX, Local(2021, 1, 26).DiffMilliseconds(a));

  CSystemTime invalid;
  EXPECT_EQ(CSystemTime::kInvalidUnixTime, Local(2021, 2, 30).GetUnixTime());
  EXPECT_EQ(CSystemTime::kInvalidFileTime, FileTimeToU64(invalid.GetFileTime()));
  EXPECT_TRUE(AllFieldsFFFF(CSystemTime(invalid.GetUnixTime())));
  t = a;
  t.SetFromFileTime(invalid.GetFileTime());
  EXPECT_TRUE(AllFieldsFFFF(t));
  for (CSystemTime u : {invalid, Local(2021, 2, 30), Local(1601, 1, 2)}) {
    EXPECT_FALSE(u.AddMilliseconds(-2 * 86400000));  // the last one moves before file time starts
    EXPECT_TRUE(AllFieldsFFFF(u));
  }
  EXPECT_EQ(CSystemTime::kInvalidDiff, a.DiffMilliseconds(invalid));
  EXPECT_EQ(CSystemTime::kInvalidDiff, invalid.DiffMilliseconds(a));
  EXPECT_TRUE(AllFieldsFFFF(invalid.ToUTC()) && AllFieldsFFFF(CSystemTime(MakeSystemTime(2021, 2, 30)).ToLocal()));
}
