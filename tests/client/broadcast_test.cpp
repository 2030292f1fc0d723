// Broadcast reception on loopback: what it judges, its port probe, its stop races (hand-over shared with the server).
#include <random>

#include "client_app_support.h"
#include "support/recording_host.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
std::atomic<int> g_created{0}, g_deleted{0};

struct CCountedRecver : CNTPRecver {
  CCountedRecver() { ++g_created; }
  ~CCountedRecver() override { ++g_deleted; }
};

struct CTestReception : CBroadcastReception {
  using CBroadcastReception::CBroadcastReception;
  using CBroadcastReception::StartRecver;
  CNTPRecver* NewRecver() override { return new CCountedRecver; }
};

BOOL PortFree(WORD port) {
  CUDPSocket s;
  return s.Create(SOCK_DGRAM) && s.Bind(port, 0);
}

// A broadcast (version 4, stratum 2 unless given) sent at the UTC time of clock plus aheadMs.
NTP_PACKET Broadcast(LONG aheadMs, CClock* clock = GetWin32Clock(), DWORD header = 0x250206EC) {
  NTP_PACKET p;
  p.InitRequest();
  p.SetHeader(header);
  CSystemTime utc;
  clock->GetSystemTime(&utc);
  utc.AddMilliseconds(aheadMs);
  p.SetTransmitTime(utc);
  return p;
}

// A reception posting to a message-only window; Pump hands the notices to it, as the main window does.
struct CReceptionFixture {
  CReceptionFixture() : correction(&host), reception(&settings, &correction, &prompt, hWnd) {
    settings.bBroadcastRecv = 1;
    settings.nAllowance = 1000;
  }
  ~CReceptionFixture() { DestroyWindow(hWnd); }
  // Starts listening on a free port and waits until the listener holds it.
  WORD Listen() {
    WORD port = settings.nBroadcastRecvPortNo = FreeUdpPort();
    return reception.EnableBroadcastRecv(TRUE) && WaitUntil([port] { return !PortFree(port); }, 5000) ? port : 0;
  }
  // Handles notices until n have come or limitMs real ms have passed.
  size_t Pump(size_t n, DWORD limitMs = 5000) {
    MSG msg;
    WaitUntil([&] {
      while (senders.size() < n && PeekMessageA(&msg, hWnd, WM_NTP_BROADCAST, WM_NTP_BROADCAST, PM_REMOVE)) {
        senders.push_back(std::to_string(msg.wParam) + ":" + std::to_string(msg.lParam));
        reception.OnNtpBroadcast(msg.wParam, msg.lParam);
      }
      return senders.size() >= n;
    }, limitMs);
    return senders.size();
  }
  bool Has(const char* part) const { return host.Last().line.find(part) != std::string::npos; }
  CSkewedClock clock{0};
  CClockInstaller installer{&clock};
  CRecordingHost host;
  CTimeCorrection correction;
  CClientSettings settings;
  CScriptedPrompt prompt;
  HWND hWnd = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  CTestReception reception;
  Texts senders;  // "address:port" of each notice
};
}  // namespace

TEST(BroadcastReception, AcceptsOnlyMode5MessagesAndJudgesThemOnArrival) {
  CReceptionFixture f;
  WORD port = f.Listen();
  ASSERT_NE(0, port);
  CSNTP sender;
  for (DWORD header : {0x230206ECu, 0x240206ECu})  // a client request and a server reply are not announced
    ASSERT_TRUE(sender.Send(Broadcast(0, GetWin32Clock(), header), LoopbackAddress(), port));
  // The server 1.5 s ahead: the local clock is behind and is stepped.
  NTP_PACKET ahead = Broadcast(1500);
  sender.pSocket->SendTo(&ahead, 48, port, LoopbackAddress());
  ASSERT_EQ(1u, f.Pump(1));
  EXPECT_EQ(std::to_string(LoopbackAddress()) + ":" + std::to_string(LocalPort(*sender.pSocket)), f.senders[0]);
  EXPECT_TRUE(f.Has("補正　( 127.0.0.1 の配信 ) 誤差 1.") && f.Has("秒の遅れ(応答速度:0.000秒) [階層:2/"))
      << f.host.Last().line;
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.clock.GetSkew(), 300);

  // Now the local clock is 1.5 s ahead of the server: held back, not stepped.
  NTP_PACKET now = Broadcast(0);
  sender.pSocket->SendTo(&now, 48, port, LoopbackAddress());
  ASSERT_EQ(2u, f.Pump(2));
  EXPECT_TRUE(f.Has("補正　( 127.0.0.1 の配信 ) 誤差 1.") && f.Has("秒の進み(")) << f.host.Last().line;
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.correction.nSlewMSec, 300);

  EXPECT_EQ(2u, f.Pump(3, 300));  // nothing else arrives meanwhile
  f.reception.OnNtpBroadcast(0, 0);  // a notice left over finds nothing to judge
  EXPECT_EQ(2u, f.host.entries.size());
}

// Bad replies: the NTP system test; a broadcast of an unsynchronised server leaves a hold-back under way.
TEST(BroadcastReception, ABroadcastOfAnUnsynchronisedServerLeavesTheClockAndTheHoldBack) {
  CManualClock clock(MakeSystemTime(2024, 5, 1, 9));
  CClockInstaller installer(&clock);
  CRecordingHost host;
  CTimeCorrection correction(&host);
  CClientSettings settings;
  CBroadcastReception reception(&settings, &correction, nullptr, nullptr);
  correction.nSlewMSec = 800;
  reception.slotBroadcast.Put(new NTP_BROADCAST{Broadcast(1500, &clock, 0xE50206EC), inet_addr("192.0.2.1"), 123});
  reception.OnNtpBroadcast(0, 0);
  EXPECT_EQ(" 2024/05/01 09:00:00.000 ： 失敗　( 192.0.2.1 の配信 ) 通信エラー(返答モード不正)", host.Last().line);
  EXPECT_EQ(0, clock.GetSetCount());
  EXPECT_EQ(800, correction.nSlewMSec);
}

// The probe is the server engine's (tested there); here the reception's texts and a refusal's bBroadcastRecv.
TEST(BroadcastReception, ATakenPort123AsksToStopTheTimeService) {
  CUDPSocket holder;
  ASSERT_TRUE(holder.Open(123, DWORD{0})) << "port 123 is taken by another program";
  CReceptionFixture f;
  f.settings.nBroadcastRecvPortNo = 123;
  f.prompt.answers = {IDNO};
  EXPECT_FALSE(f.reception.EnableBroadcastRecv(TRUE));
  EXPECT_EQ((Texts{"NTP配信の受信ポート番号[123]が使用できません。\n\n[Windows Time サービス]と重複利用"
                   "している可能性がありますので、\n[Windows Time サービス]を一時停止します|4",
                   "NTP配信の受信ポート番号[123]が使用できません。\n\n※他のアプリが使用しています\n"
                   "(利用するにはアプリを停止させてください)|0"}),
            f.prompt.texts);
  EXPECT_EQ(0, f.settings.bBroadcastRecv);
}

// Owners switch the listener off while broadcasts arrive: while it binds, delivers, or gives up on a taken port.
// Every listener is freed exactly once, none delivers into an owner that switched it off, no stop hangs.
TEST(BroadcastReception, StopRacesNeitherLeakNorTouchTheOwnerAfterwards) {
  const int kCycles = 400;
  CRecordingHost host;
  CTimeCorrection correction(&host);
  CClientSettings settings;
  WORD port = FreeUdpPort();
  CUDPSocket holder;
  ASSERT_TRUE(holder.Open(0, DWORD{0}));
  const WORD taken = static_cast<WORD>(LocalPort(holder));
  std::atomic<bool> bSending{true};
  std::thread sender([&] {
    CUDPSocket s;
    s.Create(SOCK_DGRAM);
    for (NTP_PACKET p = Broadcast(0); bSending.load(); GetWin32Clock()->Sleep(0)) s.SendTo(&p, 48, port, LoopbackAddress());
  });
  g_created = g_deleted = 0;
  std::mt19937 random(7);
  std::vector<std::unique_ptr<CTestReception>> stopped;
  int delivered = 0;
  DWORD longestStop = 0;
  NTP_BROADCAST b;
  for (int i = 0; i < kCycles; ++i) {
    auto owner = std::make_unique<CTestReception>(&settings, &correction, nullptr, nullptr);
    owner->StartRecver(i % 4 == 3 ? taken : port);
    if (i % 10 == 0)  // now and then the listener gets as far as a delivery before the stop
      delivered += WaitUntil([&] { return owner->slotBroadcast.Take(&b) != FALSE; }, 2000);
    else if (i % 40 == 3)  // or gives up on the taken port before it
      ASSERT_TRUE(WaitUntil([&] { return !owner->pRecver.Get(); }, 5000));
    else
      GetWin32Clock()->Sleep(random() % 3);
    DWORD start = GetWin32Clock()->GetTickCount();
    owner->EnableBroadcastRecv(FALSE);
    longestStop = std::max(longestStop, RealMsSince(start));
    EXPECT_EQ(nullptr, owner->pRecver.Get());
    owner->slotBroadcast.Take(&b);
    stopped.push_back(std::move(owner));
  }
  bSending = false;
  sender.join();
  ASSERT_TRUE(WaitUntil([] { return g_deleted.load() == g_created.load(); }, 10000));
  GetWin32Clock()->Sleep(50);
  EXPECT_EQ(kCycles, g_deleted.load());
  int late = 0;
  for (auto& owner : stopped) late += owner->slotBroadcast.Take(&b) ? 1 : 0;
  EXPECT_EQ(0, late);
  EXPECT_EQ(kCycles / 10, delivered);
  EXPECT_LT(longestStop, 3000u);
}
