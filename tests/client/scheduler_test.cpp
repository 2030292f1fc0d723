// The correction scheduler without windows, on a simulated clock: periodic
// runs and the countdown, fail-over and rotation, the hold-back of a clock
// that runs ahead, steps, test runs, resume, broadcasts and the start-up
// steps. The servers are one scripted SNTP server under three names.
#include "client/correction_scheduler.h"

#include <gtest/gtest.h>

#include "client/client_correction_host.h"
#include "client/res/resource_ids.h"
#include "ntp_responder.h"
#include "scheduler_doubles.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/time_text.h"
#include "support/winsock_environment.h"
#include "temp_folder.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
const LONG kBad = CNtpResponder::kBad;

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() {
    for (const char* pszHost : {"127.0.0.1", "127.1", "127.0.1"}) AddServer(pszHost);
    config.GetServerList()->SetSelection(0);
    config.nCheckSpan = 15;
  }
  void AddServer(const char* pszHost) { config.GetServerList()->AddItem(new NTP_SERVER_INFO("ntp", "", pszHost)); }
  // Local time minus its start, in ms.
  LONG LocalMs() {
    SYSTEMTIME now;
    clock.GetLocalTime(&now);
    return CSystemTime(kStart).DiffMilliseconds(now);
  }
  std::string Countdown() { return static_cast<const char*>(scheduler.GetCountdownText()); }

  const SYSTEMTIME kStart = MakeSystemTime(2024, 5, 1, 9, 0, 0, 0);
  CManualClock clock{kStart, 1000};
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

TEST_F(SchedulerTest, PeriodicRunsCountdownResumeAndCommandStates) {
  CNtpResponder server({0});
  ASSERT_TRUE(server.bBound);
  EXPECT_EQ("時刻補正停止", Countdown());
  EXPECT_TRUE(scheduler.OnCommand(ID_START_PERIODIC));
  EXPECT_EQ(1, server.nRequests);  // at once
  EXPECT_EQ(1000u, window.nPeriodMs);
  scheduler.UpdateStatusBar();
  EXPECT_EQ("1回 (OK:1/NG:0)", window.asText[1]);
  EXPECT_EQ("次回時刻補正まで15:00", window.asText[2]);
  for (int i = 1; i < 900; ++i) scheduler.OnTimer(CCorrectionScheduler::kTimerId);
  EXPECT_EQ(1, server.nRequests);
  EXPECT_EQ("次回時刻補正まで0:01", Countdown());
  EXPECT_TRUE(scheduler.OnTimer(CCorrectionScheduler::kTimerId));
  EXPECT_EQ(2, server.nRequests);
  EXPECT_FALSE(scheduler.OnTimer(CCorrectionScheduler::kTimerId + 1));

  config.nCheckSpan = 61;
  scheduler.nElapsedSec = 60;
  EXPECT_EQ("次回時刻補正まで1:00:00", Countdown());
  scheduler.nElapsedSec = 61;
  EXPECT_EQ("次回時刻補正まで59:59", Countdown());

  scheduler.OnPowerBroadcast(PBT_APMRESUMESUSPEND);
  scheduler.OnTimer(CCorrectionScheduler::kTimerId);
  EXPECT_EQ(3, server.nRequests);
  EXPECT_EQ(0u, scheduler.nElapsedSec);  // then the normal span again

  struct CState : CWLCmdState {
    using CWLCmdState::CWLCmdState;
    int Enable(int n) override { return nEnabled = n; }
    int Check(int n) override { return nChecked = n; }
    int nEnabled = -1, nChecked = -1;
  } test(ID_TEST_RUN), start(ID_START_PERIODIC), stop(ID_STOP_PERIODIC);
  for (CState* p : {&test, &start, &stop}) EXPECT_TRUE(scheduler.UpdateCmdState(p));
  EXPECT_EQ(0, test.nEnabled);
  EXPECT_EQ(1, start.nChecked);
  EXPECT_EQ(1, stop.nEnabled);

  scheduler.OnTimer(CCorrectionScheduler::kTimerId);
  EXPECT_TRUE(scheduler.OnCommand(ID_START_PERIODIC));  // running: stops
  EXPECT_EQ(std::vector<UINT_PTR>{CCorrectionScheduler::kTimerId}, window.aKilled);
  EXPECT_EQ(1u, scheduler.nElapsedSec);
  scheduler.OnPowerBroadcast(PBT_APMRESUMECRITICAL);  // stopped: nothing
  EXPECT_EQ(1u, scheduler.nElapsedSec);
  scheduler.OnCommand(ID_START_PERIODIC);
  EXPECT_EQ(0u, scheduler.nElapsedSec);
  scheduler.OnCommand(ID_STOP_PERIODIC);
  window.bTimerFails = true;
  scheduler.StartPeriodic();
  EXPECT_FALSE(scheduler.IsRunning());
  EXPECT_EQ("時刻補正停止", Countdown());
}

TEST_F(SchedulerTest, FailOverAndRotation) {
  struct Case {
    BOOL bRotate;
    int nStart;
    std::vector<LONG> answers;
    BOOL bResult;
    const char* pszRuns;
    int nSelected;
  } cases[] = {
      {1, 0, {0}, 1, "1@127.0.0.1", 1},
      {1, 0, {kBad, 0}, 1, "0@127.0.0.1 1@127.1", 2},
      {1, 0, {kBad, kBad, kBad}, 0, "0@127.0.0.1 0@127.1 0@127.0.1", 0},
      {1, 2, {0}, 1, "1@127.0.1", 0},
      {0, 0, {kBad, 0}, 1, "0@127.0.0.1 1@127.1", 0},
      {1, -1, {0}, 1, "1@127.0.0.1", 1},
  };
  for (const Case& c : cases) {
    CNtpResponder server(c.answers);
    config.bRotateServer = c.bRotate;
    config.GetServerList()->SetSelection(c.nStart);
    EXPECT_EQ(c.bResult, scheduler.RunCorrection(0));
    EXPECT_EQ(c.pszRuns, view.Runs()) << c.nStart;
    EXPECT_EQ(c.nSelected, config.GetServerList()->GetSelection()) << c.pszRuns;
  }

  // An entry without host is not tried, and the selection keeps naming the
  // entry whose host is tried.
  config.GetServerList()->DeleteAll();
  for (const char* pszHost : {"127.0.0.1", "", "127.1"}) AddServer(pszHost);
  config.GetServerList()->SetSelection(2);
  {
    CNtpResponder server({kBad, 0});
    EXPECT_TRUE(scheduler.RunCorrection(0));
  }
  EXPECT_EQ("0@127.1 1@127.0.0.1", view.Runs());
  EXPECT_EQ(2, config.GetServerList()->GetSelection());

  config.sProtocol = CClientSettings::protocolHttp;
  config.GetServerList()->DeleteAll();
  AddServer("http://127.0.0.1:1/");
  EXPECT_FALSE(scheduler.RunCorrection(1));
  EXPECT_EQ("0@http://127.0.0.1:1/", view.Runs());

  config.GetServerList()->DeleteAll();
  EXPECT_FALSE(scheduler.RunCorrection(1));
  EXPECT_EQ("", view.Runs());
  EXPECT_EQ(-1, config.GetServerList()->GetSelection());
}

TEST_F(SchedulerTest, AClockAheadIsHeldBackOthersAreStepped) {
  {
    CNtpResponder server({-5000});  // the local clock 5 s ahead
    config.nAllowance = 200;
    scheduler.StartPeriodic();
    EXPECT_EQ(0, clock.GetSetCount());
    EXPECT_EQ(5000, correction.nSlewMSec);
  }
  std::vector<LONG> left;
  DWORD dwTicks = clock.GetTickCount();
  for (int i = 0; i < 10; ++i) {
    clock.Advance(1000);
    scheduler.OnTimer(CCorrectionScheduler::kTimerId);
    left.push_back(correction.nSlewMSec);
  }
  EXPECT_EQ((std::vector<LONG>{4300, 3600, 2900, 2200, 1500, 800, 100, 0, 0, 0}), left);
  // The clock went 5000 ms less far than the ticks.
  EXPECT_EQ(static_cast<LONG>(clock.GetTickCount() - dwTicks) - 5000, LocalMs());

  for (LONG nServerAhead : {5000L, -150000L}) {
    CNtpResponder server({nServerAhead});
    LONG nBefore = LocalMs();
    scheduler.RunCorrection(1);
    EXPECT_EQ(nBefore + nServerAhead, LocalMs());
    EXPECT_EQ(0, correction.nSlewMSec);
  }

  int nSets = clock.GetSetCount();
  CNtpResponder server({-5000});
  scheduler.OnCommand(ID_TEST_RUN);
  EXPECT_EQ(kCorrectionConfirmed, view.aItems.back()->nKind);
  EXPECT_EQ(nSets, clock.GetSetCount());
  EXPECT_EQ(0, correction.nSlewMSec);
}

TEST_F(SchedulerTest, BroadcastsAndStartUp) {
  CBroadcastReception reception(&config, &correction, nullptr, nullptr);
  CCorrectionScheduler listening(&config, &correction, &log, &window, &reception);
  listening.nTimerID = CCorrectionScheduler::kTimerId;
  listening.nElapsedSec = 7;
  auto* pReceived = new NTP_BROADCAST{};
  pReceived->packet.InitRequest();
  pReceived->packet.SetHeader(0x25020000 | 0xEC);  // mode 5, stratum 2
  CSystemTime sent;
  clock.GetSystemTime(&sent);
  sent.AddMilliseconds(-1500);  // the local clock 1.5 s ahead
  pReceived->packet.SetTransmitTime(sent);
  pReceived->dwAddress = inet_addr("127.0.0.9");
  reception.slotBroadcast.Put(pReceived);
  listening.OnNtpBroadcast(pReceived->dwAddress, 123);
  EXPECT_NE(std::string::npos, std::string(view.aItems.back()->sText).find("補正　( 127.0.0.9 の配信 )"));
  EXPECT_EQ(1500, correction.nSlewMSec);
  EXPECT_EQ(7u, listening.nElapsedSec);

  config.bFirstExec = config.bAutoExec = 1;
  scheduler.StartUp();
  EXPECT_EQ(std::vector<UINT>{ID_AUTO_DIAGNOSIS}, window.aPosted);
  EXPECT_EQ(0, config.bAutoExec);
  EXPECT_TRUE(scheduler.OnCommand(ID_AUTO_DIAGNOSIS));
  EXPECT_EQ(1, window.nDiagnoses);
  EXPECT_EQ((std::vector<UINT>{ID_AUTO_DIAGNOSIS, ID_START_PERIODIC}), window.aPosted);
  EXPECT_EQ(1, config.bAutoExec);
  EXPECT_EQ(0, config.bFirstExec);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder.Path() + "ntp_config.txt").c_str()));

  window.aPosted.clear();
  scheduler.OnCommand(ID_AUTO_DIAGNOSIS);  // no longer a first start
  scheduler.StartUp();
  EXPECT_EQ(std::vector<UINT>{ID_START_PERIODIC}, window.aPosted);
}
