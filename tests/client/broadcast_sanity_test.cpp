// Broadcasts of an unsynchronised or broken server: logged as failed, and
// neither the clock nor a hold-back under way is touched; a sound broadcast
// still corrects.
#include <gtest/gtest.h>
#include <winsock.h>

#include <string>

#include "client/broadcast_reception.h"
#include "core/system_time.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/recording_host.h"

TEST(BroadcastSanity, UnusableBroadcastsLeaveTheClockAndTheHoldBack) {
  CManualClock clock(SYSTEMTIME{2024, 5, 3, 1, 9, 0, 0, 0});
  CClockInstaller installer(&clock);
  CRecordingHost host;
  CTimeCorrection correction(&host);
  CClientSettings settings;
  settings.nAllowance = 1000;
  CBroadcastReception reception(&settings, &correction, nullptr, nullptr);

  // Version 4, Mode 5, stratum 2; the server's clock 1.5 s ahead.
  auto broadcast = [&](DWORD header, bool bZeroTransmit) {
    NTP_BROADCAST* copy = new NTP_BROADCAST;
    copy->packet.InitRequest();
    copy->packet.SetHeader(header);
    CSystemTime utc;
    clock.GetSystemTime(&utc);
    utc.AddMilliseconds(1500);
    copy->packet.SetTransmitTime(utc);
    if (bZeroTransmit) copy->packet.tsTransmit = NTP_TIMESTAMP{};
    copy->dwAddress = inet_addr("192.0.2.1");
    copy->nPort = 123;
    reception.slotBroadcast.Put(copy);
    reception.OnNtpBroadcast(copy->dwAddress, 123);
  };
  const struct {
    const char* name;
    DWORD header;
    bool bZeroTransmit;
  } unusable[] = {{"leap indicator 3", 0xE50206EC, false},
                  {"stratum 0", 0x250006EC, false},
                  {"zero Transmit", 0x250206EC, true},
                  {"leap indicator 3 and zero Transmit (February 2036)", 0xE50206EC, true}};
  for (const auto& c : unusable) {
    SCOPED_TRACE(c.name);
    correction.nSlewMSec = 800;  // a hold-back under way
    size_t before = host.entries.size();
    broadcast(c.header, c.bZeroTransmit);
    ASSERT_EQ(before + 1, host.entries.size());
    EXPECT_EQ(kCorrectionFailed, host.Last().kind);
    EXPECT_EQ(" 2024/05/01 09:00:00.000 ： 失敗　( 192.0.2.1 の配信 ) 通信エラー(返答モード不正)",
              host.Last().line);
    EXPECT_EQ(0, clock.GetSetCount());
    EXPECT_EQ(800, correction.nSlewMSec);
  }

  broadcast(0x250206EC, false);
  EXPECT_EQ(kCorrectionCorrected, host.Last().kind);
  EXPECT_NE(std::string::npos, host.Last().line.find("補正　( 192.0.2.1 の配信 ) 誤差 1.500秒の遅れ"))
      << host.Last().line;
  EXPECT_EQ(1, clock.GetSetCount());
  EXPECT_EQ(0, correction.nSlewMSec);
}
