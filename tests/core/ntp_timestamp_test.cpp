#include "core/ntp_timestamp.h"

#include <gtest/gtest.h>

#include "core/system_time.h"
#include "support/time_text.h"

namespace {

std::string Read(DWORD seconds, DWORD fraction) {
  NTP_TIMESTAMP ts;
  ts.Set(seconds, fraction);
  SYSTEMTIME st;
  EXPECT_TRUE(ts.ToSystemTime(&st));
  return TimeText(st);
}

NTP_TIMESTAMP Stamp(const SYSTEMTIME& utc) {
  NTP_TIMESTAMP ts;
  EXPECT_TRUE(ts.FromSystemTime(utc));
  return ts;
}

}  // namespace

TEST(NtpTimestamp, KnownInstantBothWaysInNetworkOrder) {
  EXPECT_EQ("2021-01-01 00:00:00.000", Read(3818448000u, 0));
  NTP_TIMESTAMP ts = Stamp(MakeSystemTime(2021, 1, 1));
  EXPECT_EQ(3818448000u, ts.GetSeconds());
  EXPECT_EQ(0u, ts.GetFraction());
  const BYTE* b = reinterpret_cast<const BYTE*>(&ts);
  EXPECT_EQ(0xE3, b[0]);
  EXPECT_EQ(0x98, b[1]);
  EXPECT_EQ(0xE4, b[2]);
  EXPECT_EQ(0x80, b[3]);
  SYSTEMTIME st;
  ts.ToSystemTime(&st);
  EXPECT_EQ(5, st.wDayOfWeek);
  EXPECT_EQ("1970-01-01 00:00:00.000", Read(kNtpToUnixSeconds, 0));
}

TEST(NtpTimestamp, FractionTruncatedOnTheWayOut) {
  EXPECT_EQ(0u, Stamp(MakeSystemTime(2021, 1, 1, 12)).GetFraction());
  EXPECT_EQ(2147483647u, Stamp(MakeSystemTime(2021, 1, 1, 12, 0, 0, 500)).GetFraction());
  EXPECT_EQ(0xFFBE76C7u, Stamp(MakeSystemTime(2021, 1, 1, 12, 0, 0, 999)).GetFraction());
  EXPECT_EQ(4294967u, Stamp(MakeSystemTime(2021, 1, 1, 12, 0, 0, 1)).GetFraction());
}

TEST(NtpTimestamp, FractionRoundedAndCarriedOnTheWayIn) {
  EXPECT_EQ("2021-01-01 00:00:00.500", Read(3818448000u, 0x80000000u));
  EXPECT_EQ("2021-01-01 00:00:00.999", Read(3818448000u, 4292819811u));
  EXPECT_EQ("2021-01-01 00:00:01.000", Read(3818448000u, 4292819812u));
  EXPECT_EQ("2021-01-01 00:00:01.000", Read(3818448000u, 0xFFFFFFFFu));
  // The carry runs through minute, day and year.
  EXPECT_EQ("2021-01-01 00:00:00.000", Read(3818448000u - 1, 0xFFFFFFFFu));
  // Every millisecond survives the trip out and back.
  for (WORD ms = 0; ms < 1000; ++ms) {
    SYSTEMTIME in = MakeSystemTime(2021, 1, 1, 0, 0, 0, ms), out;
    Stamp(in).ToSystemTime(&out);
    ASSERT_EQ(TimeText(in), TimeText(out));
  }
}

TEST(NtpTimestamp, EraBoundaries) {
  EXPECT_EQ("2036-02-07 06:28:15.000", Read(0xFFFFFFFFu, 0));
  EXPECT_EQ("2036-02-07 06:28:16.000", Read(0, 0));
  EXPECT_EQ("2038-01-19 03:14:07.000", Read(61505151u, 0));
  EXPECT_EQ("2038-01-19 03:14:08.000", Read(61505151u, 0xFFFFFFFFu));  // no wrap to 1901
  EXPECT_EQ("1901-12-13 20:45:52.000", Read(61505152u, 0));
  EXPECT_EQ("1969-12-31 23:59:59.000", Read(2208988799u, 0));
  EXPECT_EQ(0u, Stamp(MakeSystemTime(2036, 2, 7, 6, 28, 16)).GetSeconds());
  EXPECT_EQ(0xFFFFFFFFu, Stamp(MakeSystemTime(2036, 2, 7, 6, 28, 15)).GetSeconds());
  EXPECT_EQ(61505151u, Stamp(MakeSystemTime(2038, 1, 19, 3, 14, 7)).GetSeconds());
}

TEST(NtpTimestamp, NonTimesGiveTheZeroTimestamp) {
  CSystemTime invalid;
  NTP_TIMESTAMP ts;
  ts.Set(1, 2);
  EXPECT_TRUE(ts.FromSystemTime(invalid));
  EXPECT_EQ(0u, ts.dwSeconds);
  EXPECT_EQ(0u, ts.dwFraction);
  ts.Set(1, 2);
  ts.FromSystemTime(MakeSystemTime(2021, 1, 1, 0, 0, 0, 1000));  // would overflow the fraction
  EXPECT_EQ(0u, ts.GetSeconds());
  EXPECT_EQ(0u, ts.GetFraction());
  EXPECT_FALSE(ts.ToSystemTime(nullptr));
}
