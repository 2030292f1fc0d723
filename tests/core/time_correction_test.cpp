// One NTP correction run: the judgement of an answer (step, hold back or
// leave), the result line, and the query against a scripted SNTP server on
// 127.0.0.1:123 that answers well, badly, late or not at all. (Under Wine a
// socket bound to another loopback address still sends from 127.0.0.1.)
#include <winsock.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "core/ntp_packet.h"
#include "core/system_time.h"
#include "core/time_correction.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"
#include "support/socket_helpers.h"
#include "support/time_text.h"
#include "support/winsock_environment.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

const char kServerAddress[] = "127.0.0.1";

// A reply to a request stamped at requestUtc, from a server whose clock
// reads serverUtc when it answers.
NTP_PACKET MakeReply(const SYSTEMTIME& requestUtc, const SYSTEMTIME& serverUtc) {
  NTP_PACKET p;
  p.InitRequest();
  p.SetHeader(0x24020000 | 0xEC);  // LI 0, VN 4, mode 4, stratum 2, precision -20
  p.dwRootDelay = htonl(328);       // 5 ms
  p.dwRootDispersion = htonl(656);  // 10 ms
  const BYTE ref[4] = {192, 0, 2, 7};
  CopyMemory(p.abReferenceId, ref, 4);
  p.tsOriginate.FromSystemTime(requestUtc);
  p.SetTransmitTime(serverUtc);
  return p;
}

SYSTEMTIME Shifted(const SYSTEMTIME& st, LONG ms) {
  CSystemTime t(st);
  t.AddMilliseconds(ms);
  return t;
}

// The local clock reads 09:00:00.000 (JST) when a reply arrives 31 ms after
// the request; the server is skewMs ahead of the local clock.
struct Judged {
  CRecordingHost host;
  CTimeCorrection run{&host};
  CManualClock clock{MakeSystemTime(2024, 5, 1, 9, 0, 0, 0)};
  CClockInstaller installer{&clock};

  void Judge(LONG skewMs, int allowance, BOOL bSet, LONGLONG elapsed = 31) {
    SYSTEMTIME arrivalUtc = MakeSystemTime(2024, 5, 1, 0, 0, 0, 0);
    SYSTEMTIME requestUtc = Shifted(arrivalUtc, -static_cast<LONG>(elapsed));
    // Originate + half the round trip is the server's moment of stamping.
    SYSTEMTIME serverUtc = Shifted(arrivalUtc, skewMs - static_cast<LONG>(elapsed - elapsed / 2));
    run.FinishCheck(TRUE, "応答", "", MakeReply(requestUtc, serverUtc), "time1", elapsed,
                    allowance, bSet);
  }
};
}  // namespace

TEST(CorrectionJudgement, TheResultLineOfAnAnsweredQuery) {
  Judged j;
  j.Judge(250, 0, TRUE);
  ASSERT_EQ(1u, j.host.entries.size());
  EXPECT_EQ(
      " 2024/05/01 09:00:00.249 ： 補正　( time1 の応答 ) 誤差 0.250秒の遅れ(応答速度:0.031秒)"
      " [階層:2/参照:192.0.2.7/精度:-20/遅延:0.005/拡散:0.010]",
      j.host.Last().line);
  EXPECT_EQ(kCorrectionCorrected, j.host.Last().kind);
  // Behind: stepped to the server's time at once.
  ASSERT_EQ(1, j.clock.GetSetCount());
  EXPECT_EQ("2024-05-01 09:00:00.249", TimeText(j.clock.GetLastSet()));
  EXPECT_EQ(0, j.run.nSlewMSec);

  j.Judge(-250, 0, TRUE);  // local clock ahead: held back, not stepped
  EXPECT_NE(std::string::npos, j.host.Last().line.find("誤差 0.250秒の進み(応答速度:0.031秒)"));
  EXPECT_EQ(kCorrectionCorrected, j.host.Last().kind);
  EXPECT_EQ(1, j.clock.GetSetCount());
  EXPECT_EQ(250, j.run.nSlewMSec);

  j.Judge(-1234, 0, FALSE, 40);
  EXPECT_NE(std::string::npos, j.host.Last().line.find("確認　( time1 の応答 ) 誤差 1.234秒の進み(応答速度:0.040秒)"));
  EXPECT_EQ(0, j.run.nSlewMSec);  // every run starts by clearing it
}

TEST(CorrectionJudgement, AllowanceAndTheTwoMinuteRule) {
  struct Case {
    LONG skew;  // server minus local
    int allowance;
    BOOL bSet;
    int kind;
    int steps;  // SetLocalTime calls
    LONG slew;
  } cases[] = {
      {999, 1000, TRUE, kCorrectionConfirmed, 0, 0},
      {-999, 1000, TRUE, kCorrectionConfirmed, 0, 0},
      {1000, 1000, TRUE, kCorrectionCorrected, 1, 0},      // behind: step
      {-1000, 1000, TRUE, kCorrectionCorrected, 0, 1000},  // ahead: hold back
      {-119999, 1000, TRUE, kCorrectionCorrected, 0, 119999},
      {-120000, 1000, TRUE, kCorrectionCorrected, 1, 0},  // two minutes ahead: step back
      {0, 0, TRUE, kCorrectionCorrected, 1, 0},           // allowance 0 steps even "no offset"
      {5000, 1000, FALSE, kCorrectionConfirmed, 0, 0},     // test run never sets
  };
  for (const Case& c : cases) {
    Judged j;
    j.Judge(c.skew, c.allowance, c.bSet);
    SCOPED_TRACE(j.host.Last().line);
    EXPECT_EQ(c.kind, j.host.Last().kind);
    EXPECT_EQ(c.steps, j.clock.GetSetCount());
    EXPECT_EQ(c.slew, j.run.nSlewMSec);
  }
  Judged zero;
  zero.Judge(0, 0, TRUE);
  EXPECT_NE(std::string::npos, zero.host.Last().line.find("補正　( time1 の応答 ) 誤差無し(応答速度:0.031秒)"));
}

TEST(CorrectionJudgement, FailuresAndReferenceIdentifiers) {
  Judged j;
  j.clock.SetLocal(MakeSystemTime(2024, 5, 1, 9, 30, 15, 7));
  NTP_PACKET empty;
  empty.InitRequest();
  j.run.nSlewMSec = 500;
  j.run.FinishCheck(FALSE, "応答", "通信エラー(送信失敗)", empty, "time1", 0, 0, TRUE);
  EXPECT_EQ(" 2024/05/01 09:30:15.007 ： 失敗　( time1 の応答 ) 通信エラー(送信失敗)",
            j.host.Last().line);
  EXPECT_EQ(kCorrectionFailed, j.host.Last().kind);
  EXPECT_EQ(0, j.run.nSlewMSec);
  EXPECT_EQ(0, j.clock.GetSetCount());

  // Stratum 1 shows the identifier as text, stratum 3 as an address.
  SYSTEMTIME utc = MakeSystemTime(2024, 5, 1);
  NTP_PACKET gps = MakeReply(utc, utc);
  gps.SetHeader(0x24010000);
  const BYTE text[4] = {'G', 'P', 'S', 0};
  CopyMemory(gps.abReferenceId, text, 4);
  j.run.FinishCheck(TRUE, "配信", "", gps, "127.0.0.9", 0, 0, FALSE);
  EXPECT_NE(std::string::npos, j.host.Last().line.find("( 127.0.0.9 の配信 )"));
  EXPECT_NE(std::string::npos, j.host.Last().line.find("[階層:1/参照:GPS/精度:0/"));
  gps.SetHeader(0x24030000);
  j.run.FinishCheck(TRUE, "応答", "", gps, "s", 0, 0, FALSE);
  EXPECT_NE(std::string::npos, j.host.Last().line.find("[階層:3/参照:71.80.83.0/"));
}

TEST(CorrectionJudgement, TickDifferenceAcrossTheWrap) {
  EXPECT_EQ(40u, TicksSince(1000, 1040));
  EXPECT_EQ(0xFFFFFFFFu - 0xFFFFFFF0u + 5u, TicksSince(0xFFFFFFF0u, 5));
}

namespace {
// An SNTP server on 127.0.0.1:123 that hands each request to a script. The
// script may answer any number of times, from this socket or others.
class CScriptedServer {
 public:
  using Script = std::function<void(CScriptedServer&, const NTP_PACKET& request, int port)>;

  explicit CScriptedServer(Script script) : script(std::move(script)) {
    sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(123);
    sa.sin_addr.s_addr = inet_addr(kServerAddress);
    bound = bind(sock, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    worker = std::thread([this] { Serve(); });
  }
  ~CScriptedServer() {
    stop = true;
    closesocket(sock);
    worker.join();
  }

  // Sends bytes to the client from the server's own port (or from another).
  void Answer(const void* data, int length, int port, bool ownPort = true) {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr.s_addr = dwClient;
    SOCKET from = sock;
    if (!ownPort) {
      from = socket(AF_INET, SOCK_DGRAM, 0);
      sockaddr_in sa = {};
      sa.sin_family = AF_INET;
      sa.sin_addr.s_addr = inet_addr(kServerAddress);
      bind(from, reinterpret_cast<sockaddr*>(&sa), sizeof(sa));
    }
    sendto(from, static_cast<const char*>(data), length, 0, reinterpret_cast<sockaddr*>(&to),
           sizeof(to));
    if (!ownPort) closesocket(from);
  }
  // A well-formed reply to the request, the server clock skewMs ahead.
  NTP_PACKET Reply(const NTP_PACKET& request, LONG skewMs) {
    SYSTEMTIME requestUtc, nowUtc;
    request.GetTransmitTime(&requestUtc);
    GetWin32Clock()->GetSystemTime(&nowUtc);
    NTP_PACKET reply = MakeReply(requestUtc, Shifted(nowUtc, skewMs));
    reply.tsOriginate = request.tsTransmit;
    return reply;
  }

  bool bound = false;
  std::atomic<int> requests{0};

 private:
  void Serve() {
    while (!stop) {
      char buffer[100];
      sockaddr_in from = {};
      int length = sizeof(from);
      int n = recvfrom(sock, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (n != kNtpPacketSize) continue;
      ++requests;
      dwClient = from.sin_addr.s_addr;
      NTP_PACKET request;
      CopyMemory(&request, buffer, kNtpPacketSize);
      request.nLength = kNtpPacketSize;
      script(*this, request, ntohs(from.sin_port));
    }
  }

  Script script;
  SOCKET sock;
  std::atomic<bool> stop{false};
  DWORD dwClient = 0;
  std::thread worker;
};

std::string LastLine(const CRecordingHost& host) {
  return host.entries.empty() ? std::string() : host.Last().line;
}
}  // namespace

TEST(NtpQuery, RepliesThatDoNotMatchTheRequestAreIgnored) {
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  CScriptedServer server([](CScriptedServer& s, const NTP_PACKET& request, int port) {
    NTP_PACKET reply = s.Reply(request, 0);
    s.Answer(&reply, kNtpPacketSize, port, false);  // right address, wrong port
    NTP_PACKET stale = reply;
    stale.tsOriginate.dwFraction ^= htonl(1);  // answers some other request
    stale.tsTransmit.dwSeconds = htonl(ntohl(stale.tsTransmit.dwSeconds) + 3600);
    s.Answer(&stale, kNtpPacketSize, port);
    s.Answer(&reply, kNtpPacketSize, port);
  });
  CRecordingHost host;
  CTimeCorrection run(&host);
  EXPECT_TRUE(run.CheckTimeNtp(kServerAddress, 3000, 1000, TRUE)) << LastLine(host);
  EXPECT_EQ(kCorrectionConfirmed, host.Last().kind) << host.Last().line;
  EXPECT_EQ(0, clock.GetSetCount());
}

TEST(NtpQuery, UnusableAnswersFailTheRun) {
  struct Case {
    const char* what;
    std::function<void(NTP_PACKET&, int&)> spoil;
    const char* text;
  } cases[] = {
      {"mode 3", [](NTP_PACKET& p, int&) { p.SetHeader((p.GetHeader() & 0xF8FFFFFF) | 0x03000000); },
       "通信エラー(返答モード不正)"},
      {"mode 5", [](NTP_PACKET& p, int&) { p.SetHeader((p.GetHeader() & 0xF8FFFFFF) | 0x05000000); },
       "通信エラー(返答モード不正)"},
      {"stratum 0", [](NTP_PACKET& p, int&) { p.SetHeader(p.GetHeader() & 0xFF00FFFF); },
       "通信エラー(返答モード不正)"},
      {"leap 3", [](NTP_PACKET& p, int&) { p.SetHeader(p.GetHeader() | 0xC0000000); },
       "通信エラー(返答モード不正)"},
      {"no time", [](NTP_PACKET& p, int&) { p.tsTransmit.dwSeconds = p.tsTransmit.dwFraction = 0; },
       "通信エラー(返答モード不正)"},
      {"47 bytes", [](NTP_PACKET&, int& n) { n = 47; }, "通信エラー(受信失敗)"},
      {"49 bytes", [](NTP_PACKET&, int& n) { n = 49; }, "通信エラー(受信失敗)"},
  };
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CScriptedServer server([&c](CScriptedServer& s, const NTP_PACKET& request, int port) {
      NTP_PACKET reply = s.Reply(request, 9000);
      int length = kNtpPacketSize;
      c.spoil(reply, length);
      char bytes[64] = {};
      CopyMemory(bytes, &reply, kNtpPacketSize);
      s.Answer(bytes, length, port);
    });
    CRecordingHost host;
    CTimeCorrection run(&host);
    EXPECT_FALSE(run.CheckTimeNtp(kServerAddress, 3000, 0, TRUE));
    ASSERT_EQ(1u, host.entries.size());
    EXPECT_EQ(kCorrectionFailed, host.Last().kind);
    EXPECT_NE(std::string::npos, host.Last().line.find(std::string("の応答 ) ") + c.text))
        << host.Last().line;
  }
  EXPECT_EQ(0, clock.GetSetCount());
}

TEST(NtpQuery, SilenceAndUnknownNames) {
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  CScriptedServer server([](CScriptedServer&, const NTP_PACKET&, int) {});
  CRecordingHost host;
  CTimeCorrection run(&host);

  // A limit below one second still waits one whole slice.
  DWORD start = GetWin32Clock()->GetTickCount();
  EXPECT_FALSE(run.CheckTimeNtp(kServerAddress, 500, 0, TRUE));
  DWORD waited = RealMsSince(start);
  EXPECT_GE(waited, 900u);
  EXPECT_LT(waited, 5000u);
  EXPECT_NE(std::string::npos, LastLine(host).find("返答待機タイムアウト[")) << LastLine(host);
  EXPECT_EQ(1, server.requests.load());

  start = GetWin32Clock()->GetTickCount();
  EXPECT_FALSE(run.CheckTimeNtp(kServerAddress, 2000, 0, TRUE));
  waited = RealMsSince(start);
  EXPECT_GE(waited, 1900u);
  EXPECT_LT(waited, 6000u);
  int shown = 0;
  ASSERT_EQ(1, sscanf(LastLine(host).c_str() + LastLine(host).find("[") + 1, "%d", &shown));
  EXPECT_GE(shown, 2000);

  EXPECT_FALSE(run.CheckTimeNtp("no-such-host.invalid", 3000, 0, TRUE));
  EXPECT_NE(std::string::npos, LastLine(host).find("失敗　( no-such-host.invalid の応答 ) "
                                                   "通信エラー(サーバIPアドレス無効)"));
  EXPECT_EQ(2, server.requests.load());  // nothing was sent for the unknown name
  EXPECT_EQ(3u, host.entries.size());
  EXPECT_EQ(0, clock.GetSetCount());
}
