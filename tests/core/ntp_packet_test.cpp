#include "core/ntp_packet.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/time_text.h"

namespace {

NTP_PACKET Reply(DWORD origSec, DWORD origFrac, DWORD transSec, DWORD transFrac) {
  NTP_PACKET p = {};
  p.SetHeader(0x24000000);
  p.tsOriginate.Set(origSec, origFrac);
  p.tsTransmit.Set(transSec, transFrac);
  p.nLength = kNtpPacketSize;
  return p;
}

void SetWireBytes(NTP_PACKET* p, int offset, const BYTE (&bytes)[4]) {
  std::memcpy(p->GetBytes() + offset, bytes, 4);
}

std::string RefId(const NTP_PACKET& p) {
  char text[kNtpRefIdTextSize];
  EXPECT_GE(p.GetReferenceIdText(text, sizeof(text)), 0);
  return text;
}

}  // namespace

TEST(NtpPacket, RequestBytes) {
  CManualClock clock(MakeSystemTime(2000, 1, 1));
  ASSERT_TRUE(clock.SetUTC(MakeSystemTime(2021, 1, 1, 0, 0, 0, 500)));
  CClockInstaller install(&clock);
  NTP_PACKET p;
  std::memset(&p, 0xAA, sizeof(p));
  p.InitRequest();
  static const BYTE kExpected[48] = {0x23, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0,    0, 0, 0, 0, 0, 0, 0, 0xE3, 0x98, 0xE4, 0x80,
                                     0x7F, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(0, std::memcmp(kExpected, p.GetBytes(), 48));
  EXPECT_EQ(48, p.nLength);
  EXPECT_EQ(kNtpModeClient, p.GetMode());
  EXPECT_EQ(52u, sizeof(NTP_PACKET));

  SYSTEMTIME st;
  EXPECT_TRUE(p.GetTransmitTime(&st));
  EXPECT_EQ("2021-01-01 00:00:00.500", TimeText(st));
  EXPECT_TRUE(p.SetTransmitTime(MakeSystemTime(2036, 2, 7, 6, 28, 16, 999)));
  EXPECT_EQ(0u, p.tsTransmit.GetSeconds());
  EXPECT_EQ(0xFFBE76C7u, p.tsTransmit.GetFraction());
  clock.Advance(250);
  p.SetTransmitTime();
  p.GetTransmitTime(&st);
  EXPECT_EQ("2021-01-01 00:00:00.750", TimeText(st));

  NTP_PACKET copy = p;  // copied by value, the 48 bytes with it
  EXPECT_EQ(0, std::memcmp(&copy, &p, sizeof(p)));
}

TEST(NtpPacket, OffsetOfAReply) {
  // Originate 3818448000.0, Transmit 3818448000.100, 40 ms round trip.
  NTP_PACKET p = Reply(3818448000u, 0, 3818448000u, 0x1999999Au);
  EXPECT_EQ(-100, p.GetOriginateMinusTransmit());
  EXPECT_EQ(-80, SntpOffset(p, 40));  // the local clock is 80 ms behind
  EXPECT_EQ(20, SntpHalfElapsed(41));
  EXPECT_EQ(-80, SntpOffset(p, 41));
  EXPECT_EQ(-20, SntpHalfElapsed(-41));  // truncated toward zero
  EXPECT_EQ(LONG_MAX, SntpHalfElapsed(LLONG_MAX));

  // Rounded half away from zero.
  EXPECT_EQ(0, Reply(0, 1717987, 0, 0).GetOriginateMinusTransmit());   // +0.4 ms
  EXPECT_EQ(1, Reply(0, 2576980, 0, 0).GetOriginateMinusTransmit());   // +0.6 ms
  EXPECT_EQ(0, Reply(0, 0, 0, 1717987).GetOriginateMinusTransmit());   // -0.4 ms
  EXPECT_EQ(-1, Reply(0, 0, 0, 2576980).GetOriginateMinusTransmit());  // -0.6 ms
  EXPECT_EQ(1000, Reply(0, 0xFFFFFFFFu, 0, 0).GetOriginateMinusTransmit());
  EXPECT_EQ(-1500, Reply(10, 0, 11, 0x80000000u).GetOriginateMinusTransmit());

  // Across the era boundary the difference stays small.
  EXPECT_EQ(2000, Reply(1, 0, 0xFFFFFFFFu, 0).GetOriginateMinusTransmit());
  EXPECT_EQ(-2000, Reply(0xFFFFFFFFu, 0, 1, 0).GetOriginateMinusTransmit());

  // Beyond about 24.8 days: saturated, never wrapped into the other sign.
  EXPECT_EQ(2147483000, Reply(2147483, 0, 0, 0).GetOriginateMinusTransmit());
  EXPECT_EQ(LONG_MAX, Reply(2160000, 0, 0, 0).GetOriginateMinusTransmit());
  EXPECT_EQ(-LONG_MAX, Reply(0, 0, 2160000, 0).GetOriginateMinusTransmit());
  EXPECT_EQ(LONG_MAX, SntpOffset(Reply(2147483, 0, 0, 0), 2000));
  EXPECT_EQ(-LONG_MAX, SntpOffset(Reply(0, 0, 2160000, 0), 0));
}

TEST(NtpPacket, ServerDescriptionFields) {
  NTP_PACKET p = Reply(0, 0, 0, 0);
  p.SetHeader(0x24C800EC);  // mode 4, stratum 200, precision -20
  EXPECT_EQ(kNtpModeServer, p.GetMode());
  EXPECT_EQ(-56, p.GetStratum());
  EXPECT_EQ(-20, p.GetPrecision());
  p.SetHeader(0x2D0206FA);  // LI 0, version 5, mode 5
  EXPECT_EQ(kNtpModeBroadcast, p.GetMode());
  EXPECT_EQ(2, p.GetStratum());
  EXPECT_EQ(-6, p.GetPrecision());

  SetWireBytes(&p, 4, {0x00, 0x00, 0x0A, 0x3D});
  SetWireBytes(&p, 8, {0x00, 0x01, 0x80, 0x00});
  EXPECT_EQ(39u, p.GetRootDelayMs());
  EXPECT_EQ(1500u, p.GetRootDispersionMs());
  SetWireBytes(&p, 4, {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(65536000u, p.GetRootDelayMs());  // a fraction of 65535 is a full second

  SetWireBytes(&p, 12, {0x47, 0x50, 0x53, 0x00});
  p.SetHeader(0x24010000);
  EXPECT_EQ("GPS", RefId(p));
  p.SetHeader(0x24000000);
  EXPECT_EQ("GPS", RefId(p));
  p.SetHeader(0x24020000);
  EXPECT_EQ("71.80.83.0", RefId(p));
  p.SetHeader(0x24C80000);  // stratum 200 reads as -56: text
  EXPECT_EQ("GPS", RefId(p));
  SetWireBytes(&p, 12, {'L', 'O', 'C', 'L'});
  EXPECT_EQ("LOCL", RefId(p));
  SetWireBytes(&p, 12, {0x00, 'X', 'Y', 'Z'});
  EXPECT_EQ("", RefId(p));
  SetWireBytes(&p, 12, {255, 255, 255, 255});
  p.SetHeader(0x24030000);
  EXPECT_EQ("255.255.255.255", RefId(p));

  // Small buffers get the text cut short; unusable ones -1.
  char small[5];
  EXPECT_EQ(4, p.GetReferenceIdText(small, sizeof(small)));
  EXPECT_STREQ("255.", small);
  EXPECT_EQ(-1, p.GetReferenceIdText(small, 0));
  EXPECT_EQ(-1, p.GetReferenceIdText(nullptr, 16));
}
