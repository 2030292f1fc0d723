#include "server/server_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "client/sys/elevation_notice.h"
#include "client/temp_folder.h"
#include "core/sntp.h"
#include "server/server_packet.h"
#include "server/sorbel.h"
#include "support/fake_system_api.h"
#include "support/socket_helpers.h"
#include "support/winsock_environment.h"

namespace {

auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// Boxes go to the installed system interface, so CFakeSystemApi records and
// answers them like the controller window's.
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
    calls.push_back("set " + std::to_string(id) + " " + std::to_string(ms));
    return id;
  }
  BOOL KillTimer(UINT_PTR id) override {
    calls.push_back("kill " + std::to_string(id));
    return TRUE;
  }
  std::vector<std::string> calls;
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

int FreeUdpPort() {
  CUDPSocket s;
  if (!s.Open(0, static_cast<DWORD>(INADDR_ANY))) return 0;
  return LocalPort(s);
}

std::string Bytes(const void* p, int n) { return std::string(static_cast<const char*>(p), n); }

// A client socket on an ephemeral loopback port.
class CClient {
 public:
  CClient() { socket.Open(0, LoopbackAddress()); }
  int Port() const { return LocalPort(socket); }
  void Send(const std::string& bytes, int port) {
    socket.SendTo(bytes.data(), static_cast<int>(bytes.size()), port, LoopbackAddress());
  }
  // The next datagram within ms, or "" when none came.
  std::string Next(int ms) {
    if (socket.Wait(ms, TRUE) <= 0) return "";
    char buffer[600];
    int n = socket.RecvFrom(buffer, sizeof(buffer), 0, nullptr, nullptr);
    return n > 0 ? std::string(buffer, n) : "";
  }
  CUDPSocket socket;
};

std::string Request(BYTE first, int length = kNtpPacketSize) {
  std::string r(length, '\0');
  r[0] = static_cast<char>(first);
  for (int i = 40; i < 48 && i < length; ++i) r[i] = static_cast<char>(0x11 * (i - 39));
  return r;
}

const NTP_PACKET& AsPacket(const std::string& bytes) {
  return *reinterpret_cast<const NTP_PACKET*>(bytes.data());
}

// Checks the fields every reply and broadcast share.
void ExpectServerFields(const std::string& got, int mode, const NTP_TIMESTAMP& originate) {
  ASSERT_EQ(48u, got.size());
  const NTP_PACKET& p = AsPacket(got);
  EXPECT_EQ(0x20 | mode, static_cast<BYTE>(got[0]));  // LI 0, VN 4
  EXPECT_EQ(0, got[2]);                               // poll
  EXPECT_EQ(0u, p.dwRootDelay);
  EXPECT_EQ(0u, p.dwRootDispersion);
  EXPECT_EQ(Bytes(&originate, 8), Bytes(&p.tsOriginate, 8));
  EXPECT_EQ(Bytes(&p.tsReceive, 8), Bytes(&p.tsReference, 8));
  SYSTEMTIME rx, tx;
  ASSERT_TRUE(p.tsReceive.ToSystemTime(&rx));
  ASSERT_TRUE(p.tsTransmit.ToSystemTime(&tx));
  FILETIME a, b;
  SystemTimeToFileTime(&rx, &a);
  SystemTimeToFileTime(&tx, &b);
  EXPECT_LE(CompareFileTime(&a, &b), 0);
}

}  // namespace

TEST(ServerPacket, FieldsFollowStratumAndReferenceId) {
  TestSettings t;
  CClient receiver;
  CSNTP sender;
  struct Case {
    int stratum;
    const char* refId;
    int mode;
    BYTE precision;
    std::string refIdBytes;
  };
  const Case cases[] = {
      {4, "127.0.0.1", 4, 0xF6, std::string("\x7F\x00\x00\x01", 4)},
      {1, "RAVO", 4, 0xF0, "RAVO"},
      {0, "GPSX1", 5, 0xEE, "GPSX"},  // only four bytes go out
      {1, "AB", 4, 0xF0, std::string("AB\0\0", 4)},
      {3, "no.where", 5, 0xF4, std::string(4, '\xFF')},
      {-2, "ABCD", 4, 0xEA, "ABCD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stratum);
    t.settings.nStratum = c.stratum;
    t.settings.sRefId = c.refId;
    NTP_PACKET msg;
    ZeroMemory(&msg, sizeof(msg));
    memset(&msg, 0xA5, kNtpPacketSize);  // nothing of the old bytes survives
    NTP_TIMESTAMP originate = msg.tsTransmit;
    msg.nLength = 0;  // a message of unknown length still goes out whole
    ASSERT_TRUE(SendServerPacket(&sender, &msg, LoopbackAddress(), receiver.Port(), c.mode));
    std::string got = receiver.Next(2000);
    ExpectServerFields(got, c.mode, originate);
    EXPECT_EQ(c.stratum & 0xFF, static_cast<BYTE>(got[1]));
    EXPECT_EQ(c.precision, static_cast<BYTE>(got[3]));
    EXPECT_EQ(c.refIdBytes, got.substr(12, 4));
    EXPECT_EQ(got, Bytes(&msg, 48));  // the caller's message is the one sent
  }
}

TEST(ServerEngine, ResponderAnswersOnlyClientRequests) {
  TestSettings t;
  t.settings.nNtpPort = FreeUdpPort();
  ASSERT_NE(0, t.settings.nNtpPort);
  CTestPrompt prompt;
  CServerEngine engine(&t.settings, &prompt, nullptr);
  EXPECT_TRUE(engine.SetResponseMode(FALSE));  // nothing runs: nothing to do
  ASSERT_TRUE(engine.SetResponseMode(TRUE));
  CSorbel* responder = engine.GetResponder();
  ASSERT_NE(nullptr, responder);
  EXPECT_TRUE(engine.SetResponseMode(TRUE));  // keeps the first one
  EXPECT_EQ(responder, engine.GetResponder());
  EXPECT_EQ(static_cast<WORD>(t.settings.nNtpPort), responder->nPort);

  CClient client;
  int port = t.settings.nNtpPort;
  const std::string request = Request(0x23);
  std::string reply;
  ASSERT_TRUE(WaitUntil([&] {
    client.Send(request, port);
    reply = client.Next(100);
    return !reply.empty();
  }, 5000));
  while (!client.Next(50).empty()) {}  // answers to the retries
  ExpectServerFields(reply, 4, AsPacket(request).tsTransmit);

  // Old versions are answered; other modes and lengths not (the random
  // datagrams of the system test cover the rest).
  for (const std::string& bad : {Request(0x24), Request(0x23, 47), Request(0x23, 49)})
    client.Send(bad, port);
  client.Send(Request(0x0B), port);
  EXPECT_EQ(0x24, static_cast<BYTE>(client.Next(2000)[0]));
  EXPECT_EQ("", client.Next(200));

  EXPECT_TRUE(engine.SetResponseMode(FALSE));
  EXPECT_EQ(nullptr, engine.GetResponder());
  EXPECT_TRUE(engine.SetResponseMode(FALSE));
  client.Send(Request(0x23), port);
  EXPECT_EQ("", client.Next(200));
  EXPECT_TRUE(t.settings.bResponseMode);
  EXPECT_EQ(0, prompt.nForeground);
}

namespace {

// Holds a port; the fake "net stop w32time" lets it go when asked to.
class CPortFake : public CFakeSystemApi {
 public:
  BOOL ShellExecuteEx(SHELLEXECUTEINFOA* info) override {
    BOOL ok = CFakeSystemApi::ShellExecuteEx(info);
    if (bFreeOnStop) holder.Close();
    return ok;
  }
  CUDPSocket holder;
  BOOL bFreeOnStop = FALSE;
};

const char kStopQuestion[] =
    "NTPサーバーの受信ポート番号[123]が使用できません。\n\n[Windows Time サービス]と重複利用している"
    "可能性がありますので、\n[Windows Time サービス]を一時停止します";
const char kTakenNotice[] =
    "NTPサーバーの受信ポート番号[123]が使用できません。\n\n※他のアプリが使用しています\n"
    "(利用するにはアプリを停止させてください)";

}  // namespace

TEST(ServerEngine, PortInUse) {
  const std::string elevation =
      static_cast<const char*>(ElevationNoticeText("Windows Time サービスの停止には",
                                                   "Windowsコマンドプロセッサ", nullptr));
  struct Case {
    const char* name;
    int system;  // 0 Vista, 1 XP, 2 Windows 9x
    BOOL service, freeOnStop;
    std::vector<int> answers;
    BOOL result, responseAfter, running;
    std::vector<std::string> boxes;  // texts, "Y" or "O" prefixed by the type
    std::string shell;               // "" = nothing started
    int foreground;
  };
  const std::string netStop = "|cmd.exe|/c net stop w32time|";
  const std::vector<Case> cases = {
      {"vista no", 0, FALSE, TRUE, {IDNO}, FALSE, FALSE, FALSE,
       {std::string("Y") + kStopQuestion, std::string("O") + kTakenNotice}, "", 2},
      {"vista yes, elevation refused", 0, FALSE, TRUE, {IDYES, IDNO}, FALSE, TRUE, FALSE,
       {std::string("Y") + kStopQuestion, "Y" + elevation}, "", 1},
      {"vista yes yes", 0, FALSE, TRUE, {IDYES, IDYES}, TRUE, TRUE, TRUE,
       {std::string("Y") + kStopQuestion, "Y" + elevation}, "runas" + netStop, 1},
      {"xp yes: no elevation notice", 1, FALSE, TRUE, {IDYES}, TRUE, TRUE, TRUE,
       {std::string("Y") + kStopQuestion}, "open" + netStop, 1},
      {"xp yes, still taken", 1, FALSE, FALSE, {IDYES}, FALSE, FALSE, FALSE,
       {std::string("Y") + kStopQuestion, std::string("O") + kTakenNotice}, "open" + netStop, 2},
      {"service mode frees", 0, TRUE, TRUE, {}, TRUE, TRUE, TRUE, {}, "runas" + netStop, 1},
      {"service mode still taken", 0, TRUE, FALSE, {}, FALSE, FALSE, FALSE, {}, "runas" + netStop, 1},
      {"windows 9x", 2, FALSE, TRUE, {}, FALSE, FALSE, FALSE,
       {std::string("O") + kTakenNotice}, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSettings t;
    CPortFake fake;
    if (c.system == 1) fake.SetWindowsXP();
    if (c.system == 2) fake.SetWindows9x();
    fake.bFreeOnStop = c.freeOnStop;
    fake.answers.assign(c.answers.begin(), c.answers.end());
    ASSERT_TRUE(fake.holder.Open(123, static_cast<DWORD>(INADDR_ANY)))
        << "port 123 is taken by another program";
    CTestPrompt prompt;
    CServerEngine engine(&t.settings, &prompt, nullptr);
    engine.bServiceMode = c.service;
    EXPECT_EQ(c.result, engine.SetResponseMode(TRUE));
    EXPECT_EQ(c.responseAfter, t.settings.bResponseMode);
    EXPECT_EQ(c.running, engine.GetResponder() != nullptr);
    std::vector<std::string> boxes;
    for (const auto& b : fake.boxes)
      boxes.push_back(((b.type & MB_TYPEMASK) == MB_YESNO ? "Y" : "O") + b.text);
    EXPECT_EQ(c.boxes, boxes);
    EXPECT_EQ(c.shell.empty() ? 0u : 1u, fake.shellCalls.size());
    if (!c.shell.empty() && !fake.shellCalls.empty()) {
      EXPECT_EQ(c.shell, fake.shellCalls[0].Text().substr(0, c.shell.size()));
      EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
    }
    EXPECT_EQ(c.foreground, prompt.nForeground);
    engine.SetResponseMode(FALSE);
  }

  // Another port than 123 is never blamed on the time service.
  TestSettings t;
  CFakeSystemApi fake;
  CUDPSocket holder;
  ASSERT_TRUE(holder.Open(0, static_cast<DWORD>(INADDR_ANY)));
  t.settings.nNtpPort = LocalPort(holder);
  CTestPrompt prompt;
  CServerEngine engine(&t.settings, &prompt, nullptr);
  EXPECT_FALSE(engine.SetResponseMode(TRUE));
  ASSERT_EQ(1u, fake.boxes.size());
  CCharString notice;
  notice.Format("NTPサーバーの受信ポート番号[%d]が使用できません。\n\n※他のアプリが使用しています\n"
                "(利用するにはアプリを停止させてください)",
                t.settings.nNtpPort);
  EXPECT_EQ(static_cast<const char*>(notice), fake.boxes[0].text);
  EXPECT_TRUE(fake.shellCalls.empty());
  EXPECT_FALSE(t.settings.bResponseMode);
}

TEST(ServerEngine, BroadcastsAndTheTimer) {
  TestSettings t;
  CClient receiver;
  t.settings.dwBroadcastAddr = LoopbackAddress();
  t.settings.nBroadcastPort = receiver.Port();
  t.settings.nBroadcastSpanSec = 1800;
  CTestTimer timer;
  CServerEngine engine(&t.settings, nullptr, &timer);

  // The immediate command sends one whether or not broadcast mode is on.
  ASSERT_TRUE(engine.BroadcastNow());
  std::string got = receiver.Next(2000);
  ASSERT_EQ(48u, got.size());
  ExpectServerFields(got, 5, AsPacket(got).tsOriginate);
  EXPECT_EQ(0xF6, static_cast<BYTE>(got[3]));

  EXPECT_TRUE(engine.SetBroadcastMode(TRUE));
  EXPECT_TRUE(engine.SetBroadcastMode(TRUE));  // already running
  EXPECT_EQ(std::vector<std::string>{"set 120 1000"}, timer.calls);
  EXPECT_EQ("", receiver.Next(50));  // switching on does not broadcast
  EXPECT_FALSE(engine.OnTimer(100));
  for (int round = 0; round < 2; ++round) {
    for (int i = 1; i < 1800; ++i) ASSERT_TRUE(engine.OnTimer(120));
    EXPECT_EQ(1799, engine.nBroadcastTicks);
    EXPECT_EQ("", receiver.Next(50));
    EXPECT_TRUE(engine.OnTimer(120));
    EXPECT_EQ(0, engine.nBroadcastTicks);
    EXPECT_EQ(0x25, static_cast<BYTE>(receiver.Next(2000)[0]));
  }
  EXPECT_TRUE(engine.SetBroadcastMode(FALSE));
  EXPECT_TRUE(engine.SetBroadcastMode(FALSE));
  EXPECT_EQ((std::vector<std::string>{"set 120 1000", "kill 120"}), timer.calls);
  // Switching on again starts the count afresh.
  engine.nBroadcastTicks = 77;
  engine.SetBroadcastMode(TRUE);
  EXPECT_EQ(0, engine.nBroadcastTicks);
}

namespace {

std::atomic<int> g_created{0};
std::atomic<int> g_deleted{0};

class CCountingSorbel : public CSorbel {
 public:
  CCountingSorbel() { ++g_created; }
  ~CCountingSorbel() override { ++g_deleted; }
};

class CStressEngine : public CServerEngine {
 public:
  using CServerEngine::CServerEngine;
  CSorbel* NewResponder() override { return pLast = new CCountingSorbel; }
  CSorbel* pLast = nullptr;
};

// Engines live in memory of the test's own after their destructor ran, so
// a thread that touched its owner after the owner let go shows up there.
struct alignas(CStressEngine) EngineStorage {
  unsigned char bytes[sizeof(CStressEngine)];
};

}  // namespace

TEST(ServerEngine, StartStopStressIsRaceFree) {
  TestSettings t;
  CUDPSocket holder;  // a port whose bind fails in the thread
  ASSERT_TRUE(holder.Open(0, static_cast<DWORD>(INADDR_ANY)));
  const WORD taken = static_cast<WORD>(LocalPort(holder));
  t.settings.nNtpPort = FreeUdpPort();
  g_created = 0;
  g_deleted = 0;

  const int kCycles = 2400;
  std::vector<std::unique_ptr<EngineStorage>> storage;
  std::vector<CSorbel*> last;
  std::vector<size_t> slots;
  for (int i = 0; i < kCycles; ++i) {
    storage.emplace_back(new EngineStorage);
    auto* engine = new (storage.back()->bytes) CStressEngine(&t.settings, nullptr, nullptr);
    switch (i % 3) {
      case 0:  // a responder that binds and runs, stopped at once
        ASSERT_TRUE(engine->SetResponseMode(TRUE));
        engine->SetResponseMode(FALSE);
        break;
      case 1:  // its bind fails: the thread ends while the owner stops it
        engine->StartResponder(taken);
        engine->SetResponseMode(FALSE);
        break;
      default:  // its bind fails and nobody stops it: it lets go by itself
        engine->StartResponder(taken);
        if (i % 2) {
          ASSERT_TRUE(WaitUntil([engine] { return !engine->GetResponder(); }, 5000));
        }
        break;
    }
    CSorbel* responder = engine->pLast;
    size_t slot = reinterpret_cast<unsigned char*>(&engine->pResponder) -
                  storage.back()->bytes;
    engine->~CStressEngine();
    // The slot, left holding the responder, must not be cleared from now on.
    memcpy(storage.back()->bytes + slot, &responder, sizeof(responder));
    last.push_back(responder);
    slots.push_back(slot);
  }
  EXPECT_TRUE(WaitUntil([] { return g_deleted.load() == g_created.load(); }, 20000));
  EXPECT_EQ(kCycles, g_created.load());
  EXPECT_EQ(g_created.load(), g_deleted.load());
  int touched = 0;
  for (int i = 0; i < kCycles; ++i) {
    CSorbel* value = nullptr;
    memcpy(&value, storage[i]->bytes + slots[i], sizeof(value));
    if (value != last[i]) ++touched;
  }
  EXPECT_EQ(0, touched);
}
