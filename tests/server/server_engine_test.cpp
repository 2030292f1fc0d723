#include "client/sys/elevation_notice.h"
#include "client/temp_folder.h"
#include "server/server_engine.h"
#include "server/server_packet.h"
#include "server/sorbel.h"
#include "support/fake_system_api.h"
#include "support/suite.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// Boxes go to the installed system interface, so CFakeSystemApi records and answers them.
class CTestPrompt : public CServerPrompt {
 public:
  int MessageBox(const char* text, UINT type) override {
    return GetSystemApi()->MessageBox(nullptr, text, "Sorbel", type);
  }
  void SetForeground() override { ++nForeground; }
  int nForeground = 0;
};

class CTestTimer : public CServerTimer {
 public:
  UINT_PTR SetTimer(UINT_PTR id, UINT ms) override {
    calls += "set " + std::to_string(id) + " " + std::to_string(ms) + ";";
    return id;
  }
  BOOL KillTimer(UINT_PTR id) override {
    calls += "kill " + std::to_string(id) + ";";
    return TRUE;
  }
  std::string calls;
};

// A settings object of the test's own, installed as the process's one.
struct TestSettings {
  CTempFolder folder;
  CServerSettings settings{(folder.Path() + "SORBEL.INI").c_str()};
  TestSettings() { SetServerSettings(&settings); }
  ~TestSettings() {
    settings.bDirty = FALSE;
    SetServerSettings(nullptr);
  }
};

std::string Bytes(const void* p, int n) { return std::string(static_cast<const char*>(p), n); }
}  // namespace

// Wire fields are decoded by tshark and ntpdig in the system tests; here refid and precision of other strata.
TEST(ServerPacket, FieldsFollowStratumAndReferenceId) {
  TestSettings t;
  CSNTP sender;
  CUDPSocket receiver;
  ASSERT_TRUE(receiver.Open(0, LoopbackAddress()));
  struct Case {
    int stratum;
    const char* refId;
    BYTE precision;
    std::string refIdBytes;
  } cases[] = {
      {4, "127.0.0.1", 0xF6, std::string("\x7F\x00\x00\x01", 4)}, {1, "RAVO", 0xF0, "RAVO"},
      {0, "GPSX1", 0xEE, "GPSX"},  // only four bytes go out
      {1, "AB", 0xF0, std::string("AB\0\0", 4)}, {3, "no.where", 0xF4, std::string(4, '\xFF')},
      {-2, "ABCD", 0xEA, "ABCD"},
  };
  for (const Case& c : cases) {
    t.settings.nStratum = c.stratum;
    t.settings.sRefId = c.refId;
    NTP_PACKET msg;
    memset(&msg, 0xA5, sizeof(msg));  // nothing of the old bytes survives; any length goes out whole
    ASSERT_TRUE(SendServerPacket(&sender, &msg, LoopbackAddress(), LocalPort(receiver), kNtpModeBroadcast));
    char got[64] = {};
    ASSERT_EQ(48, receiver.RecvFrom(got, sizeof(got), 0, nullptr, nullptr));
    EXPECT_EQ(Bytes(&msg, 48), Bytes(got, 48));  // the caller's message is the one sent
    EXPECT_EQ(Bytes("\x25", 1) + static_cast<char>(c.stratum) + '\0' + static_cast<char>(c.precision) +
                  std::string(8, '\0') + c.refIdBytes,
              Bytes(got, 16))
        << c.stratum;
  }
}

namespace {
const char kStopQuestion[] =
    "NTPサーバーの受信ポート番号[123]が使用できません。\n\n[Windows Time サービス]と重複利用している"
    "可能性がありますので、\n[Windows Time サービス]を一時停止します";
const char kTakenNotice[] =
    "NTPサーバーの受信ポート番号[%d]が使用できません。\n\n※他のアプリが使用しています\n"
    "(利用するにはアプリを停止させてください)";
}  // namespace

// The port probe shared with the broadcast reception: the w32time question, elevation notice, "net stop w32time",
// service mode, Windows 9x. (Refused question, "/service" without boxes, other ports: sorbel_program_test.)
TEST(ServerEngine, PortInUse) {
  CCharString taken123, elevation = ElevationNoticeText("Windows Time サービスの停止には",
                                                        "Windowsコマンドプロセッサ", nullptr);
  taken123.Format(kTakenNotice, 123);
  const std::string question = std::string("Y") + kStopQuestion, notice = "O" + std::string(taken123),
                    elevate = "Y" + std::string(elevation), netStop = "|cmd.exe|/c net stop w32time|";
  struct Case {
    const char* name;
    int system;  // 0 Vista, 1 XP, 2 Windows 9x
    BOOL service, freeOnStop;
    std::vector<int> answers;
    BOOL result, responseAfter;
    std::vector<std::string> boxes;  // texts prefixed by "Y" (yes/no) or "O" (OK)
    std::string shell;               // "" = nothing started
    int foreground;
  } cases[] = {
      {"vista yes, elevation refused", 0, FALSE, TRUE, {IDYES, IDNO}, FALSE, TRUE, {question, elevate}, "", 1},
      {"vista yes yes", 0, FALSE, TRUE, {IDYES, IDYES}, TRUE, TRUE, {question, elevate}, "runas" + netStop, 1},
      {"xp yes: no elevation notice", 1, FALSE, TRUE, {IDYES}, TRUE, TRUE, {question}, "open" + netStop, 1},
      {"xp yes, still taken", 1, FALSE, FALSE, {IDYES}, FALSE, FALSE, {question, notice}, "open" + netStop, 2},
      {"service mode frees", 0, TRUE, TRUE, {}, TRUE, TRUE, {}, "runas" + netStop, 1},
      {"windows 9x", 2, FALSE, TRUE, {}, FALSE, FALSE, {notice}, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Holds port 123; the fake "net stop w32time" lets it go when asked to.
    struct CPortFake : CFakeSystemApi {
      BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override {
        if (bFreeOnStop) holder.Close();
        return CFakeSystemApi::ShellExecuteEx(info);
      }
      CUDPSocket holder;
      BOOL bFreeOnStop = FALSE;
    } fake;
    TestSettings t;
    if (c.system == 1) fake.SetWindowsXP();
    if (c.system == 2) fake.SetWindows9x();
    fake.bFreeOnStop = c.freeOnStop;
    fake.answers.assign(c.answers.begin(), c.answers.end());
    ASSERT_TRUE(fake.holder.Open(123, static_cast<DWORD>(INADDR_ANY))) << "port 123 is taken by another program";
    CTestPrompt prompt;
    CServerEngine engine(&t.settings, &prompt, nullptr);
    engine.bServiceMode = c.service;
    EXPECT_EQ(c.result, engine.SetResponseMode(TRUE));
    EXPECT_EQ(c.responseAfter, t.settings.bResponseMode);
    EXPECT_EQ(c.result, engine.GetResponder() != nullptr);
    std::vector<std::string> boxes;
    for (const auto& b : fake.boxes) boxes.push_back(((b.type & MB_TYPEMASK) == MB_YESNO ? "Y" : "O") + b.text);
    EXPECT_EQ(c.boxes, boxes);
    EXPECT_EQ(c.shell, fake.shellCalls.empty() ? "" : fake.shellCalls[0].Text().substr(0, c.shell.size()));
    EXPECT_EQ(c.shell.empty() ? std::vector<DWORD>{} : std::vector<DWORD>{INFINITE}, fake.waits);
    EXPECT_EQ(c.foreground, prompt.nForeground);
  }
  // A running responder is kept when switched on again.
  TestSettings t;
  t.settings.nNtpPort = FreeUdpPort();
  CServerEngine engine(&t.settings, nullptr, nullptr);
  ASSERT_TRUE(engine.SetResponseMode(TRUE));
  CSorbel* responder = engine.GetResponder();
  EXPECT_TRUE(engine.SetResponseMode(TRUE));
  EXPECT_EQ(responder, engine.GetResponder());
}

TEST(ServerEngine, BroadcastsAndTheTimer) {
  TestSettings t;
  CUDPSocket receiver;
  ASSERT_TRUE(receiver.Open(0, LoopbackAddress()));
  BOOL on = FALSE;  // a broadcast socket may reach 255.255.255.255
  int length = sizeof(on);
  getsockopt(receiver.hSocket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&on), &length);
  EXPECT_TRUE(on);
  t.settings.dwBroadcastAddr = LoopbackAddress();
  t.settings.nBroadcastPort = LocalPort(receiver);
  t.settings.nBroadcastSpanSec = 1800;
  CTestTimer timer;
  CServerEngine engine(&t.settings, nullptr, &timer);
  auto next = [&receiver](int ms) {
    char got[64] = {};
    return receiver.Wait(ms, TRUE) > 0 && receiver.RecvFrom(got, sizeof(got), 0, nullptr, nullptr) == 48 ? got[0] : 0;
  };
  ASSERT_TRUE(engine.BroadcastNow());  // whether or not broadcast mode is on
  EXPECT_EQ(0x25, next(2000));
  EXPECT_TRUE(engine.SetBroadcastMode(TRUE) && engine.SetBroadcastMode(TRUE));
  EXPECT_EQ(0, next(50));  // switching on does not broadcast
  EXPECT_FALSE(engine.OnTimer(100));
  for (int round = 0; round < 2; ++round) {
    for (int i = 1; i < 1800; ++i) ASSERT_TRUE(engine.OnTimer(120));
    EXPECT_EQ(0, next(50));
    EXPECT_TRUE(engine.OnTimer(120));
    EXPECT_EQ(0x25, next(2000));
  }
  EXPECT_TRUE(engine.SetBroadcastMode(FALSE) && engine.SetBroadcastMode(FALSE));
  EXPECT_EQ("set 120 1000;kill 120;", timer.calls);
  engine.nBroadcastTicks = 77;
  engine.SetBroadcastMode(TRUE);
  EXPECT_EQ(0, engine.nBroadcastTicks);  // switching on again starts the count afresh
}
