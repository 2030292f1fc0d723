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
  ts.Set(1, 2);
  EXPECT_TRUE(ts.FromSystemTime(utc));
  return ts;
}
}  // namespace

TEST(NtpTimestamp, KnownInstantInNetworkOrderAndTheFractionBothWays) {
  NTP_TIMESTAMP ts = Stamp(MakeSystemTime(2021, 1, 1));
  const BYTE* b = reinterpret_cast<const BYTE*>(&ts);
  EXPECT_EQ(0xE398E480u, static_cast<DWORD>(b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3]));
  EXPECT_EQ(3818448000u, ts.GetSeconds());
  EXPECT_EQ(0u, ts.GetFraction());
  // Truncated on the way out, rounded (with the carry) on the way in.
  EXPECT_EQ(2147483647u, Stamp(MakeSystemTime(2021, 1, 1, 12, 0, 0, 500)).GetFraction());
  EXPECT_EQ(0xFFBE76C7u, Stamp(MakeSystemTime(2021, 1, 1, 12, 0, 0, 999)).GetFraction());
  EXPECT_EQ("2021-01-01 00:00:00.999", Read(3818448000u, 4292819811u));
  EXPECT_EQ("2021-01-01 00:00:01.000", Read(3818448000u, 4292819812u));
  EXPECT_EQ("2021-01-01 00:00:00.000", Read(3818448000u - 1, 0xFFFFFFFFu));  // through day and year
  for (WORD ms = 0; ms < 1000; ++ms) {  // every millisecond survives the trip out and back
    SYSTEMTIME in = MakeSystemTime(2021, 1, 1, 0, 0, 0, ms), out;
    Stamp(in).ToSystemTime(&out);
    ASSERT_EQ(TimeText(in), TimeText(out));
  }
}

TEST(NtpTimestamp, EraBoundariesAndNonTimes) {
  EXPECT_EQ("2036-02-07 06:28:15.000", Read(0xFFFFFFFFu, 0));
  EXPECT_EQ("2036-02-07 06:28:16.000", Read(0, 0));
  EXPECT_EQ("2038-01-19 03:14:08.000", Read(61505151u, 0xFFFFFFFFu));  // no wrap to 1901
  EXPECT_EQ("1901-12-13 20:45:52.000", Read(61505152u, 0));
  EXPECT_EQ("1970-01-01 00:00:00.000", Read(kNtpToUnixSeconds, 0));
  EXPECT_EQ(0u, Stamp(MakeSystemTime(2036, 2, 7, 6, 28, 16)).GetSeconds());
  EXPECT_EQ(61505151u, Stamp(MakeSystemTime(2038, 1, 19, 3, 14, 7)).GetSeconds());
  for (SYSTEMTIME bad : {SYSTEMTIME(CSystemTime()), MakeSystemTime(2021, 1, 1, 0, 0, 0, 1000)}) {
    NTP_TIMESTAMP ts = Stamp(bad);  // would overflow the fraction: the zero timestamp
    EXPECT_EQ(0u, ts.dwSeconds | ts.dwFraction);
  }
  EXPECT_FALSE(NTP_TIMESTAMP().ToSystemTime(nullptr));
}
