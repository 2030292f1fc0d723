// Broadcast reception: the listener on loopback ports, the judging of what
// it hands over (also of the server engine's broadcast), the reception's
// side of the port probe, and stopping it while it ends by itself or while
// datagrams keep arriving.
#include <algorithm>
#include <deque>
#include <random>

#include "client/broadcast_window.h"
#include "client/sys/elevation_notice.h"
#include "client/temp_folder.h"
#include "server/server_engine.h"
#include "server/server_packet.h"
#include "support/fake_system_api.h"
#include "support/recording_host.h"
#include "support/suite.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

std::atomic<int> g_created{0}, g_deleted{0};

class CCountedRecver : public CNTPRecver {
 public:
  CCountedRecver() { ++g_created; }
  ~CCountedRecver() override { ++g_deleted; }
};

class CTestReception : public CBroadcastReception {
 public:
  using CBroadcastReception::CBroadcastReception;
  using CBroadcastReception::StartRecver;
  CNTPRecver* NewRecver() override { return new CCountedRecver; }
};

struct CScriptedPrompt : CUserPrompt {
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text + std::string("|") + std::to_string(type));
    int answer = answers.empty() ? IDNO : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  std::deque<int> answers;
  Texts texts;
};

BOOL PortFree(WORD port) {
  CUDPSocket s;
  return s.Create(SOCK_DGRAM) && s.Bind(port, 0);
}

WORD FreePort() {
  CUDPSocket s;
  s.Open(0, LoopbackAddress());
  return static_cast<WORD>(LocalPort(s));
}

// A broadcast (version 4, stratum 2) sent at the real UTC time plus aheadMs.
NTP_PACKET Broadcast(LONG aheadMs) {
  NTP_PACKET p;
  p.InitRequest();
  p.SetHeader(0x250206EC);
  CSystemTime utc;
  GetWin32Clock()->GetSystemTime(&utc);
  utc.AddMilliseconds(aheadMs);
  p.SetTransmitTime(utc);
  return p;
}

struct CReceptionFixture {
  CReceptionFixture() : correction(&host), reception(&settings, &correction, &prompt, window.hWnd) {
    settings.bBroadcastRecv = 1;
    settings.nAllowance = 1000;
    window.pReception = &reception;
  }
  // Starts listening on a free port and waits until the listener holds it.
  WORD Listen() {
    WORD port = settings.nBroadcastRecvPortNo = FreePort();
    return reception.EnableBroadcastRecv(TRUE) && WaitUntil([port] { return !PortFree(port); }, 5000) ? port : 0;
  }
  CSkewedClock clock{0};
  CClockInstaller installer{&clock};
  CRecordingHost host;
  CTimeCorrection correction;
  CClientSettings settings;
  CScriptedPrompt prompt;
  CTestWindow window;
  CTestReception reception;
};

bool Has(const std::string& line, const char* part) { return line.find(part) != std::string::npos; }
}  // namespace

TEST(BroadcastReception, AcceptsOnlyMode5MessagesAndJudgesThemOnArrival) {
  CReceptionFixture f;
  WORD port = f.Listen();
  ASSERT_NE(0, port);
  CSNTP sender;
  // A server reply and a client request first: neither is a broadcast.
  NTP_PACKET msg;
  msg.InitRequest();
  ASSERT_TRUE(sender.Send(msg, LoopbackAddress(), port));
  ASSERT_TRUE(SendServerPacket(&sender, &msg, LoopbackAddress(), port, kNtpModeServer));
  // The server 1.5 s ahead: the local clock is behind and is stepped.
  NTP_PACKET ahead = Broadcast(1500);
  sender.pSocket->SendTo(&ahead, 48, port, LoopbackAddress());
  ASSERT_TRUE(f.window.PumpUntil([&] { return f.host.entries.size() == 1; }, 5000));
  EXPECT_EQ(1, f.window.nNotices);
  EXPECT_EQ(LoopbackAddress(), static_cast<DWORD>(f.window.lastAddress));
  EXPECT_EQ(LocalPort(*sender.pSocket), static_cast<int>(f.window.lastPort));
  const std::string& line = f.host.Last().line;
  EXPECT_TRUE(Has(line, "補正　( 127.0.0.1 の配信 ) 誤差 1.") && Has(line, "秒の遅れ(応答速度:0.000秒) [階層:2/"))
      << line;
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.clock.GetSkew(), 300);

  // Now the local clock is 1.5 s ahead of the server: held back, not stepped.
  NTP_PACKET now = Broadcast(0);
  sender.pSocket->SendTo(&now, 48, port, LoopbackAddress());
  ASSERT_TRUE(f.window.PumpUntil([&] { return f.host.entries.size() == 2; }, 5000));
  EXPECT_TRUE(Has(f.host.Last().line, "補正　( 127.0.0.1 の配信 ) 誤差 1.") && Has(f.host.Last().line, "秒の進み("))
      << f.host.Last().line;
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.correction.nSlewMSec, 300);

  // The server engine's broadcast is judged once, under the sender's address.
  CTempFolder folder;
  CServerSettings server((folder.Path() + "SORBEL.INI").c_str());
  server.bDirty = FALSE;
  server.dwBroadcastAddr = LoopbackAddress();
  server.nBroadcastPort = port;
  SetServerSettings(&server);
  CServerEngine engine(&server, nullptr, nullptr);
  ASSERT_TRUE(engine.BroadcastNow());
  f.window.PumpUntil([&] { return f.host.entries.size() == 3; }, 5000);
  f.window.PumpUntil([] { return false; }, 300);  // anything else would arrive by now
  ASSERT_EQ(3u, f.host.entries.size());
  EXPECT_TRUE(Has(f.host.Last().line, "( 127.0.0.1 の配信 )") && Has(f.host.Last().line, "[階層:4/"))
      << f.host.Last().line;
  SetServerSettings(nullptr);
  f.reception.OnNtpBroadcast(0, 0);  // a notice left over finds nothing to judge
  EXPECT_EQ(3u, f.host.entries.size());
}

// The probe itself is the server engine's too (its test has every path);
// here the reception's own texts, its elevation rule (asked only without
// full rights) and what each outcome does to bBroadcastRecv.
TEST(BroadcastReception, ATakenPort123AsksToStopTheTimeService) {
  const std::string question =
      "NTP配信の受信ポート番号[123]が使用できません。\n\n[Windows Time サービス]と重複利用"
      "している可能性がありますので、\n[Windows Time サービス]を一時停止します|4";
  const std::string notice =
      "NTP配信の受信ポート番号[123]が使用できません。\n\n※他のアプリが使用しています\n"
      "(利用するにはアプリを停止させてください)|0";
  const std::string elevation = static_cast<const char*>(ElevationNoticeText(
                                    "Windows Time サービスの停止には", "Windowsコマンドプロセッサ", nullptr)) +
                                std::string("|4");
  struct Case {
    DWORD token;  // TokenElevationType on Vista
    std::deque<int> answers;
    BOOL bResult;
    Texts boxes;
    int bRecvAfter;
  } cases[] = {
      {3, {IDNO}, FALSE, {question, notice}, 0},
      {3, {IDYES, IDNO}, FALSE, {question, elevation}, 1},  // elevation refused: the setting stays
      {3, {IDYES, IDYES}, TRUE, {question, elevation}, 1},
      {2, {IDYES}, TRUE, {question}, 1},  // elevated already: no elevation notice
  };
  for (const Case& c : cases) {
    // The fake "net stop w32time" frees the port.
    struct CStoppingSystemApi : CFakeSystemApi {
      BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override {
        holder.Close();
        return CFakeSystemApi::ShellExecuteEx(info);
      }
      CUDPSocket holder;
    } fake;
    ASSERT_TRUE(fake.holder.Open(123, DWORD{0}));
    fake.SetVista(c.token);
    CReceptionFixture f;
    f.settings.nBroadcastRecvPortNo = 123;
    f.prompt.answers = c.answers;
    EXPECT_EQ(c.bResult, f.reception.EnableBroadcastRecv(TRUE));
    EXPECT_EQ(c.boxes, f.prompt.texts);
    EXPECT_EQ(c.bRecvAfter, f.settings.bBroadcastRecv);
    EXPECT_EQ(c.bResult ? 1u : 0u, fake.shellCalls.size());
    if (c.bResult) {
      EXPECT_TRUE(WaitUntil([] { return !PortFree(123); }, 5000));  // the listener has it
      f.reception.EnableBroadcastRecv(FALSE);
      EXPECT_TRUE(WaitUntil([] { return PortFree(123); }, 5000));
    }
  }
}

// Owners switch the listener off at random moments, while datagrams keep
// arriving: while it binds, while it ends by itself because the port is
// taken, while it delivers. Every listener is freed exactly once, none
// delivers into an owner that has switched it off, and no stop hangs.
TEST(BroadcastReception, StopRacesNeitherLeakNorTouchTheOwnerAfterwards) {
  const int kCycles = 1000;
  CManualClock clock(MakeSystemTime(2024, 5, 3, 9));  // virtual sleeps: a taken port is given up at once
  CClockInstaller installer(&clock);
  CRecordingHost host;
  CTimeCorrection correction(&host);
  CClientSettings settings;
  WORD port = FreePort();
  CUDPSocket holder;
  ASSERT_TRUE(holder.Create(SOCK_DGRAM));
  std::atomic<bool> bSending{true};
  std::thread sender([&] {
    CUDPSocket s;
    s.Create(SOCK_DGRAM);
    std::mt19937 r(3);
    BYTE d[600];
    NTP_PACKET p = Broadcast(0);
    for (int i = 0; i < 2000000 && bSending.load(); ++i) {
      int length = static_cast<int>(r() % 601);
      for (int j = 0; j < length; ++j) d[j] = static_cast<BYTE>(r());
      if (i % 2) s.SendTo(d, length, port, LoopbackAddress());
      else s.SendTo(&p, 48, port, LoopbackAddress());
      if (i % 16 == 0) GetWin32Clock()->Sleep(0);
    }
  });
  g_created = g_deleted = 0;
  std::mt19937 random(7);
  std::vector<std::unique_ptr<CTestReception>> stopped;
  int delivered = 0, endedByItself = 0;
  DWORD longestStop = 0;
  for (int i = 0; i < kCycles; ++i) {
    bool bTaken = i >= kCycles / 2;
    EXPECT_TRUE(i != kCycles / 2 || holder.Bind(port, 0));
    auto owner = std::make_unique<CTestReception>(&settings, &correction, nullptr, nullptr);
    owner->StartRecver(port);
    NTP_BROADCAST b;
    if (i % 10 == 0) {  // now and then the listener gets as far as it can before the stop
      if (bTaken && WaitUntil([&] { return owner->pRecver.Get() == nullptr; }, 2000)) ++endedByItself;
      if (!bTaken && WaitUntil([&] { return owner->slotBroadcast.Take(&b) != FALSE; }, 2000)) ++delivered;
    } else if (int pause = static_cast<int>(random() % 4)) {
      GetWin32Clock()->Sleep(pause - 1);
    }
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
  NTP_BROADCAST b;
  for (auto& owner : stopped) late += owner->slotBroadcast.Take(&b) ? 1 : 0;
  EXPECT_EQ(0, late);
  EXPECT_EQ(kCycles / 20, delivered);
  EXPECT_EQ(kCycles / 20, endedByItself);
  EXPECT_LT(longestStop, 3000u);
}

// Random datagrams of 0 to 600 bytes (some of 48 bytes in other modes) with
// a valid broadcast in every batch: exactly the 48-byte mode-5 ones are
// announced. (The responder's test sends 100,000 through the same receive.)
TEST(BroadcastReception, FuzzedDatagrams) {
  CReceptionFixture f;
  f.settings.nAllowance = 0x7FFFFFFF;
  WORD port = f.Listen();
  ASSERT_NE(0, port);
  CUDPSocket sender;
  ASSERT_TRUE(sender.Create(SOCK_DGRAM));
  std::mt19937 random(20240501);
  BYTE data[600];
  int expected = 0;
  for (int sent = 0; sent < 20000;) {
    for (int k = 0; k < 50; ++k, ++sent) {
      int length = k == 25 || k == 30 ? 48 : static_cast<int>(random() % 601);
      for (int j = 0; j < length; ++j) data[j] = static_cast<BYTE>(random());
      if (k == 25) data[0] = static_cast<BYTE>((data[0] & ~7) | 5);
      if (length == 48 && (data[0] & 7) == 5) ++expected;
      ASSERT_EQ(length, sender.SendTo(data, length, port, LoopbackAddress()));
    }
    // A short queue on the socket: nothing is dropped on the way.
    ASSERT_TRUE(f.window.PumpUntil([&] { return f.window.nNotices == expected; }, 5000))
        << sent << ": " << f.window.nNotices << " of " << expected;
  }
  f.window.PumpUntil([] { return false; }, 100);
  EXPECT_EQ(expected, f.window.nNotices);
  // Notices that pile up share the slot: the newest copy is judged once.
  EXPECT_GE(static_cast<size_t>(expected), f.host.entries.size());
  EXPECT_LE(static_cast<size_t>(expected / 2), f.host.entries.size());
}
