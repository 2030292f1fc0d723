// The 64-bit NTP timestamp and the 48-byte SNTP message.
#include <climits>
#include <cstring>

#include "core/ntp_packet.h"
#include "core/sntp.h"
#include "support/suite.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

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

NTP_PACKET Reply(DWORD origSec, DWORD origFrac, DWORD transSec, DWORD transFrac) {
  NTP_PACKET p = {};
  p.SetHeader(0x24000000);
  p.tsOriginate.Set(origSec, origFrac);
  p.tsTransmit.Set(transSec, transFrac);
  p.nLength = kNtpPacketSize;
  return p;
}

std::string RefId(NTP_PACKET p, DWORD header, const char* bytes) {
  p.SetHeader(header);
  std::memcpy(p.abReferenceId, bytes, 4);
  char text[kNtpRefIdTextSize];
  EXPECT_GE(p.GetReferenceIdText(text, sizeof(text)), 0);
  return text;
}
}  // namespace

TEST(NtpPacket, RequestBytesAndOnlyWholeMessagesSent) {
  CManualClock clock(MakeSystemTime(2000, 1, 1));
  ASSERT_TRUE(clock.SetUTC(MakeSystemTime(2021, 1, 1, 0, 0, 0, 500)));
  CClockInstaller install(&clock);
  NTP_PACKET p;
  std::memset(&p, 0xAA, sizeof(p));
  p.InitRequest();
  EXPECT_EQ(std::string("\x23") + std::string(39, '\0') + "\xE3\x98\xE4\x80\x7F\xFF\xFF\xFF",
            std::string(reinterpret_cast<const char*>(p.GetBytes()), 48));
  EXPECT_EQ(48, p.nLength);

  // A length other than 48 would read past the message: nothing is sent.
  CSNTP sntp;
  CUDPSocket receiver;
  ASSERT_TRUE(receiver.Open(0, LoopbackAddress()));
  for (LONG length : {4096, 47}) {
    p.nLength = length;
    EXPECT_FALSE(sntp.Send(p, LoopbackAddress(), LocalPort(receiver)));
  }
  EXPECT_EQ(0, receiver.Wait(200, TRUE));
}

TEST(NtpPacket, OffsetOfAReplyRoundsAndSaturates) {
  // Originate 3818448000.0, Transmit 3818448000.100, 40 ms round trip.
  NTP_PACKET p = Reply(3818448000u, 0, 3818448000u, 0x1999999Au);
  EXPECT_EQ(-80, SntpOffset(p, 40));  // the local clock is 80 ms behind
  EXPECT_EQ(-80, SntpOffset(p, 41));
  EXPECT_EQ(-20, SntpHalfElapsed(-41));  // truncated toward zero
  EXPECT_EQ(LONG_MAX, SntpHalfElapsed(LLONG_MAX));
  struct {
    NTP_PACKET reply;
    LONG ms;
  } cases[] = {
      {Reply(0, 1717987, 0, 0), 0}, {Reply(0, 2576980, 0, 0), 1},  // +0.4 / +0.6 ms: half away from zero
      {Reply(0, 0, 0, 1717987), 0}, {Reply(0, 0, 0, 2576980), -1},
      {Reply(0, 0xFFFFFFFFu, 0, 0), 1000}, {Reply(10, 0, 11, 0x80000000u), -1500},
      {Reply(1, 0, 0xFFFFFFFFu, 0), 2000}, {Reply(0xFFFFFFFFu, 0, 1, 0), -2000},  // across the era
      {Reply(2147483, 0, 0, 0), 2147483000},  // beyond 24.8 days: saturated, never wrapped
      {Reply(2160000, 0, 0, 0), LONG_MAX}, {Reply(0, 0, 2160000, 0), -LONG_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(c.ms, c.reply.GetOriginateMinusTransmit()) << c.ms;
  EXPECT_EQ(LONG_MAX, SntpOffset(Reply(2147483, 0, 0, 0), 2000));
}

TEST(NtpPacket, ServerDescriptionFields) {
  NTP_PACKET p = Reply(0, 0, 0, 0);
  p.SetHeader(0x2DC806EC);  // version 5, mode 5, stratum 200, precision -20
  EXPECT_EQ(kNtpModeBroadcast, p.GetMode());
  EXPECT_EQ(-56, p.GetStratum());
  EXPECT_EQ(-20, p.GetPrecision());
  const BYTE delay[8] = {0x00, 0x00, 0x0A, 0x3D, 0x00, 0x01, 0x80, 0x00};
  std::memcpy(&p.dwRootDelay, delay, 8);
  EXPECT_EQ(39u, p.GetRootDelayMs());
  EXPECT_EQ(1500u, p.GetRootDispersionMs());
  p.dwRootDelay = 0xFFFFFFFF;
  EXPECT_EQ(65536000u, p.GetRootDelayMs());  // a fraction of 65535 is a full second
  // Text up to stratum 1 (and for negative strata), an address above.
  const struct {
    DWORD header;
    const char *bytes, *text;
  } refIds[] = {{0x24010000, "GPS\0", "GPS"}, {0x24000000, "GPS\0", "GPS"}, {0x24C80000, "GPS\0", "GPS"},
                {0x24020000, "GPS\0", "71.80.83.0"}, {0x24010000, "LOCL", "LOCL"}, {0x24010000, "\0XYZ", ""},
                {0x24030000, "\xFF\xFF\xFF\xFF", "255.255.255.255"}};
  for (const auto& r : refIds) EXPECT_EQ(r.text, RefId(p, r.header, r.bytes)) << std::hex << r.header;
  p.SetHeader(0x24030000);
  std::memset(p.abReferenceId, 0xFF, 4);
  char small[5];  // small buffers get the text cut short; unusable ones -1
  EXPECT_EQ(4, p.GetReferenceIdText(small, sizeof(small)));
  EXPECT_STREQ("255.", small);
  EXPECT_EQ(-1, p.GetReferenceIdText(small, 0));
  EXPECT_EQ(-1, p.GetReferenceIdText(nullptr, 16));
}

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
