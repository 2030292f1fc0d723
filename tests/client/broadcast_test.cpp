// Broadcast reception: the listener on loopback ports, the judging of what
// it hands over, the port probe with the time-service stop, and stopping it
// while it ends by itself or while datagrams keep arriving.
#include "client/broadcast_reception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/broadcast_window.h"
#include "client/sys/elevation_notice.h"
#include "core/system_time.h"
#include "core/udp_socket.h"
#include "support/clock_installer.h"
#include "support/fake_system_api.h"
#include "support/manual_clock.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"
#include "support/socket_helpers.h"
#include "support/winsock_environment.h"

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
  std::vector<std::string> texts;
};

// Records the time-service stop; with pFreed set, the stop frees that port.
struct CStoppingSystemApi : CFakeSystemApi {
  BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override {
    if (pFreed) pFreed->Close();
    return CFakeSystemApi::ShellExecuteEx(info);
  }
  CUDPSocket* pFreed = nullptr;
};

BOOL PortFree(WORD port) {
  CUDPSocket s;
  return s.Create(SOCK_DGRAM) && s.Bind(port, 0);
}

WORD FreePort() {
  CUDPSocket s;
  s.Create(SOCK_DGRAM);
  s.Bind(0, LoopbackAddress());
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

std::string Text(const char* format, int port) {
  char text[512];
  wsprintfA(text, format, port);
  return text;
}

struct CReceptionFixture {
  CReceptionFixture() : correction(&host), reception(&settings, &correction, &prompt, window.hWnd) {
    settings.bBroadcastRecv = 1;
    settings.nAllowance = 1000;
    window.pReception = &reception;
  }
  // Starts listening on a free port and waits until the listener holds it.
  WORD Listen() {
    settings.nBroadcastRecvPortNo = FreePort();
    WORD port = settings.nBroadcastRecvPortNo;
    return reception.EnableBroadcastRecv(TRUE) &&
                   WaitUntil([port] { return !PortFree(port); }, 5000)
               ? port
               : 0;
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

}  // namespace

TEST(BroadcastReception, AcceptsOnlyMode5MessagesAndJudgesThemOnArrival) {
  CReceptionFixture f;
  WORD port = f.Listen();
  ASSERT_NE(0, port);
  CUDPSocket sender;
  ASSERT_TRUE(sender.Open(0, LoopbackAddress()));
  // The server 1.5 s ahead: the local clock is behind and is stepped.
  NTP_PACKET ahead = Broadcast(1500);
  sender.SendTo(&ahead, 48, port, LoopbackAddress());
  ASSERT_TRUE(f.window.PumpUntil([&] { return f.host.entries.size() == 1; }, 5000));
  EXPECT_EQ(1, f.window.nNotices);
  EXPECT_EQ(LoopbackAddress(), static_cast<DWORD>(f.window.lastAddress));
  EXPECT_EQ(LocalPort(sender), static_cast<int>(f.window.lastPort));
  const std::string& line = f.host.Last().line;
  EXPECT_NE(std::string::npos, line.find("補正　( 127.0.0.1 の配信 ) 誤差 1.")) << line;
  EXPECT_NE(std::string::npos, line.find("秒の遅れ(応答速度:0.000秒) [階層:2/")) << line;
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.clock.GetSkew(), 300);

  // Now the local clock is 1.5 s ahead of the server: held back, not stepped.
  NTP_PACKET now = Broadcast(0);
  sender.SendTo(&now, 48, port, LoopbackAddress());
  ASSERT_TRUE(f.window.PumpUntil([&] { return f.host.entries.size() == 2; }, 5000));
  EXPECT_NE(std::string::npos, f.host.Last().line.find("補正　( 127.0.0.1 の配信 ) 誤差 1."));
  EXPECT_NE(std::string::npos, f.host.Last().line.find("秒の進み("));
  EXPECT_EQ(1, f.clock.GetSetCount());
  EXPECT_NEAR(1500, f.correction.nSlewMSec, 300);

  // A notice left over finds nothing to judge.
  f.reception.OnNtpBroadcast(0, 0);
  EXPECT_EQ(2u, f.host.entries.size());
}

TEST(BroadcastReception, TakenPortsAskStopTheTimeServiceOrGiveUp) {
  const char kNotice[] =
      "NTP配信の受信ポート番号[%d]が使用できません。\n\n※他のアプリが使用しています\n"
      "(利用するにはアプリを停止させてください)|0";
  const std::string question = Text(
      "NTP配信の受信ポート番号[%d]が使用できません。\n\n[Windows Time サービス]と重複利用"
      "している可能性がありますので、\n[Windows Time サービス]を一時停止します|4", 123);
  const std::string notice = Text(kNotice, 123);
  const std::string elevation =
      static_cast<const char*>(ElevationNoticeText("Windows Time サービスの停止には",
                                                   "Windowsコマンドプロセッサ", nullptr)) +
      std::string("|4");
  const WORD other = FreePort();
  enum { kNT, kVistaLimited, kWin9x };
  struct Case {
    const char* name;
    WORD port;
    int system;
    BOOL bServiceMode;
    std::deque<int> answers;
    bool bStopFrees;
    BOOL bResult;
    std::vector<std::string> boxes;
    bool bStopped;
    int bRecvAfter;
  } cases[] = {
      {"other port", other, kNT, FALSE, {IDYES}, true, FALSE, {Text(kNotice, other)}, false, 0},
      {"answered No", 123, kNT, FALSE, {IDNO}, true, FALSE, {question, notice}, false, 0},
      {"elevation refused", 123, kVistaLimited, FALSE, {IDYES, IDNO}, true, FALSE,
       {question, elevation}, false, 1},
      {"Yes", 123, kVistaLimited, FALSE, {IDYES, IDYES}, true, TRUE, {question, elevation}, true,
       1},
      {"service mode", 123, kNT, TRUE, {}, true, TRUE, {}, true, 1},
      {"service mode, port stays taken", 123, kNT, TRUE, {}, false, FALSE, {}, true, 0},
      {"Windows 9x", 123, kWin9x, FALSE, {IDYES}, true, FALSE, {notice}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CUDPSocket holder;
    ASSERT_TRUE(holder.Open(c.port, DWORD{0}));
    CReceptionFixture f;
    CStoppingSystemApi fake;
    if (c.system == kVistaLimited) fake.SetVista(3);
    if (c.system == kWin9x) fake.SetWindows9x();
    fake.pFreed = c.bStopFrees ? &holder : nullptr;
    f.settings.nBroadcastRecvPortNo = c.port;
    f.reception.bServiceMode = c.bServiceMode;
    f.prompt.answers = c.answers;
    EXPECT_EQ(c.bResult, f.reception.EnableBroadcastRecv(TRUE));
    EXPECT_EQ(c.boxes, f.prompt.texts);
    EXPECT_EQ(c.bRecvAfter, f.settings.bBroadcastRecv);
    ASSERT_EQ(c.bStopped ? 1u : 0u, fake.shellCalls.size());
    if (c.bStopped) {
      EXPECT_EQ("runas|cmd.exe|/c net stop w32time||5|64", fake.shellCalls[0].Text());
      EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
    }
    EXPECT_EQ(c.bResult != FALSE, f.reception.pRecver.Get() != nullptr);
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
  // Virtual sleeps: a listener whose port is taken gives up at once.
  CManualClock clock(SYSTEMTIME{2024, 5, 3, 1, 9, 0, 0, 0});
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
  for (int i = 0; i < 2000; ++i) {
    bool bTaken = i >= 1000;
    if (i == 1000) {
      EXPECT_TRUE(holder.Bind(port, 0));
    }
    auto owner = std::make_unique<CTestReception>(&settings, &correction, nullptr, nullptr);
    owner->StartRecver(port);
    NTP_BROADCAST b;
    if (i % 10 == 0) {
      // Now and then the listener gets as far as it can before the stop.
      if (bTaken && WaitUntil([&] { return owner->pRecver.Get() == nullptr; }, 2000)) ++endedByItself;
      if (!bTaken && WaitUntil([&] { return owner->slotBroadcast.Take(&b) != FALSE; }, 2000))
        ++delivered;
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
  EXPECT_EQ(2000, g_deleted.load());
  int late = 0;
  for (auto& owner : stopped) {
    NTP_BROADCAST b;
    if (owner->slotBroadcast.Take(&b)) ++late;
  }
  EXPECT_EQ(0, late);
  EXPECT_EQ(100, delivered);
  EXPECT_EQ(100, endedByItself);
  EXPECT_LT(longestStop, 3000u);
}

// Random datagrams of 0 to 600 bytes (among them about 150 of 48 bytes in
// other Modes) with a valid broadcast in every batch: exactly the 48-byte
// Mode-5 ones are announced.
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
  for (int sent = 0; sent < 100000;) {
    for (int k = 0; k < 50; ++k, ++sent) {
      int length = k == 25 ? 48 : static_cast<int>(random() % 601);
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
