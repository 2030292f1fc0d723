// The correction scheduler without windows, on a simulated clock, against a scripted SNTP server under three names.
// (PeriodicRunsAgainstRealServers, run by scheduler_correction_test.py: fail-over, the hold-back instead of a step,
// rotation past the server that answered, the next run 900 ticks on.)
#include "client/client_correction_host.h"
#include "client/res/resource_ids.h"
#include "client_app_support.h"
#include "temp_folder.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
const LONG kBad = CNtpResponder::kBad;
const UINT_PTR kTimer = CCorrectionScheduler::kTimerId;

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() {
    Servers({"127.0.0.1", "127.1", "127.0.1"});
    config.nCheckSpan = 15;
  }
  void Servers(std::vector<std::string> hosts) {
    config.GetServerList()->DeleteAll();
    for (const std::string& host : hosts) config.GetServerList()->AddItem(new NTP_SERVER_INFO("ntp", "", host.c_str()));
  }
  CManualClock clock{MakeSystemTime(2024, 5, 1, 9)};
  CClockInstaller installer{&clock};
  CTempFolder folder;
  CClientConfig config{folder.Path().c_str(), folder.Path().c_str(), nullptr};
  CRecordingView view;
  CActionLog log{&view, folder.Path().c_str()};
  CClientCorrectionHost host{&log, &config};
  CTimeCorrection correction{&host};
  CRecordingWindow window;
  CCorrectionScheduler scheduler{&config, &correction, &log, &window};
};
}  // namespace

TEST_F(SchedulerTest, CountdownResumeRestartAndFailOver) {
  CNtpResponder server({0, kBad, kBad, kBad, kBad, 0});
  ASSERT_TRUE(server.bBound) << "port 123 is taken by another program";
  EXPECT_STREQ("時刻補正停止", scheduler.GetCountdownText());
  config.nCheckSpan = 61;
  scheduler.OnCommand(ID_START_PERIODIC);  // a run at once
  scheduler.UpdateStatusBar();
  EXPECT_EQ("1回 (OK:1/NG:0)|次回時刻補正まで1:01:00", window.asText[1] + "|" + window.asText[2]);
  scheduler.nElapsedSec = 61;
  EXPECT_STREQ("次回時刻補正まで59:59", scheduler.GetCountdownText());
  EXPECT_FALSE(scheduler.OnTimer(kTimer + 1));
  scheduler.OnPowerBroadcast(PBT_APMRESUMESUSPEND);  // the next tick makes a run: all three fail
  EXPECT_TRUE(scheduler.OnTimer(kTimer));
  EXPECT_EQ("1@127.0.0.1 0@127.1 0@127.0.1 0@127.0.0.1", view.Runs());
  EXPECT_EQ(1, config.GetServerList()->GetSelection());  // back where it started
  scheduler.OnTimer(kTimer);
  scheduler.OnCommand(ID_START_PERIODIC);  // running: stops
  scheduler.OnPowerBroadcast(PBT_APMRESUMECRITICAL);
  EXPECT_EQ(std::vector<UINT>{100}, window.aPosted);
  EXPECT_EQ(1u, scheduler.nElapsedSec);
  // An entry without host is skipped; without rotation the selection stays.
  config.bRotateServer = 0;
  Servers({"127.0.0.1", "", "127.1", "127.0.1"});
  config.GetServerList()->SetSelection(0);
  EXPECT_TRUE(scheduler.RunCorrection(0));
  EXPECT_EQ("0@127.0.0.1 1@127.1", view.Runs());
  EXPECT_EQ(0, config.GetServerList()->GetSelection());
  Servers({});
  EXPECT_FALSE(scheduler.RunCorrection(1));
  EXPECT_EQ("", view.Runs());
}

TEST_F(SchedulerTest, AClockAheadIsHeldBack700MsATickAndATestRunNeverSets) {
  {
    CNtpResponder server({-5000});  // the local clock 5 s ahead
    scheduler.StartPeriodic();
  }
  DWORD dwTicks = clock.GetTickCount();
  std::vector<LONG> left;
  for (int i = 0; i < 9; ++i, left.push_back(correction.nSlewMSec)) {
    clock.Advance(1000);
    scheduler.OnTimer(kTimer);
  }
  EXPECT_EQ((std::vector<LONG>{4300, 3600, 2900, 2200, 1500, 800, 100, 0, 0}), left);
  EXPECT_EQ(14000u, clock.GetTickCount() - dwTicks);  // 9 s, and 5 s slept in the ticks
  SYSTEMTIME now;
  clock.GetLocalTime(&now);
  EXPECT_EQ("2024-05-01 09:00:09.000", TimeText(now));  // while the clock was held
  int nSets = clock.GetSetCount();
  CNtpResponder server({5000});
  scheduler.OnCommand(ID_TEST_RUN);
  EXPECT_EQ(kCorrectionConfirmed, view.aItems.back()->nKind);
  EXPECT_EQ(nSets, clock.GetSetCount());
}

// SCHEDULER_PEERS: a silent server and two whose clocks run 3 s behind the real one, which the runs go by.
TEST_F(SchedulerTest, PeriodicRunsAgainstRealServers) {
  const char* pszPeers = getenv("SCHEDULER_PEERS");
  if (pszPeers == nullptr) GTEST_SKIP() << "scheduler_correction_test.py runs this";
  std::string peers[3], sPeers(pszPeers);
  for (size_t i = 0, nFrom = 0; i < 3; nFrom = sPeers.find(',', nFrom) + 1, ++i)
    peers[i] = sPeers.substr(nFrom, sPeers.find(',', nFrom) - nFrom);
  CSkewedClock real(0);
  CClockInstaller onReal(&real);
  Servers({peers[0], peers[1], peers[2]});
  config.GetServerList()->SetSelection(0);
  config.nTimeout = 1000;
  scheduler.StartPeriodic();
  EXPECT_EQ("0@" + peers[0] + " 2@" + peers[1], view.Runs());  // failed, then corrected
  EXPECT_EQ(2, config.GetServerList()->GetSelection());       // past the server that answered
  EXPECT_NEAR(3000, correction.nSlewMSec, 150);                // held back, not stepped
  EXPECT_EQ(0, real.GetSkew());
  int nHeldAt = 0;
  for (int nTick = 1; nTick < 900; ++nTick) {
    scheduler.OnTimer(kTimer);
    if (nHeldAt == 0 && correction.nSlewMSec <= 0) nHeldAt = nTick;
  }
  // 700 ms a tick; under load Wine's tick count lags a little behind.
  EXPECT_TRUE(nHeldAt >= 5 && nHeldAt <= 10) << nHeldAt;
  EXPECT_NEAR(-3000, real.GetSkew(), 150);
  scheduler.OnTimer(kTimer);
  EXPECT_EQ("1@" + peers[2], view.Runs());  // the clock is right now
  EXPECT_EQ(0, config.GetServerList()->GetSelection());
}
