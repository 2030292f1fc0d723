// One NTP correction run: the judgement of an answer (step, hold back or
// leave), the result line, and the query against a scripted SNTP server on
// 127.0.0.1:123 that answers badly, late or not at all. (Under Wine a socket
// bound to another loopback address still sends from 127.0.0.1.)
#include <winsock.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "core/system_time.h"
#include "core/time_correction.h"
#include "core/udp_socket.h"
#include "support/clock_installer.h"
#include "support/manual_clock.h"
#include "support/recording_host.h"
#include "support/socket_helpers.h"
#include "support/time_text.h"
#include "support/winsock_environment.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// A reply to a request stamped at requestUtc from a server whose clock reads
// serverUtc when it answers.
NTP_PACKET MakeReply(const SYSTEMTIME& requestUtc, CSystemTime serverUtc) {
  NTP_PACKET p;
  p.InitRequest();
  p.SetHeader(0x240200EC);  // LI 0, VN 4, mode 4, stratum 2, precision -20
  p.dwRootDelay = htonl(328);       // 5 ms
  p.dwRootDispersion = htonl(656);  // 10 ms
  CopyMemory(p.abReferenceId, "\xC0\x00\x02\x07", 4);
  p.tsOriginate.FromSystemTime(requestUtc);
  p.SetTransmitTime(serverUtc);
  return p;
}

// The local clock reads 09:00:00.000 (JST) when a reply arrives 31 ms after
// the request; the server is skewMs ahead of the local clock.
struct Judged {
  CRecordingHost host;
  CTimeCorrection run{&host};
  CManualClock clock{MakeSystemTime(2024, 5, 1, 9, 0, 0, 0)};
  CClockInstaller installer{&clock};

  void Judge(LONG skewMs, int allowance, BOOL bSet) {
    CSystemTime request(MakeSystemTime(2024, 5, 1, 0, 0, 0, 0)), server = request;
    request.AddMilliseconds(-31);
    server.AddMilliseconds(skewMs - 16);  // the moment of stamping: Originate + half of 31 ms
    run.FinishCheck(TRUE, "応答", "", MakeReply(request, server), "time1", 31, allowance, bSet);
  }
};
}  // namespace

TEST(CorrectionJudgement, TheResultLinesAndTheAllowanceAndTwoMinuteRules) {
  Judged j;
  j.Judge(250, 0, TRUE);
  EXPECT_EQ(" 2024/05/01 09:00:00.249 ： 補正　( time1 の応答 ) 誤差 0.250秒の遅れ(応答速度:0.031秒)"
            " [階層:2/参照:192.0.2.7/精度:-20/遅延:0.005/拡散:0.010]",
            j.host.Last().line);
  EXPECT_EQ("2024-05-01 09:00:00.249", TimeText(j.clock.GetLastSet()));  // behind: stepped
  NTP_PACKET empty;
  empty.InitRequest();
  j.clock.SetLocal(MakeSystemTime(2024, 5, 1, 9, 30, 15, 7));
  j.run.nSlewMSec = 500;
  j.run.FinishCheck(FALSE, "応答", "通信エラー(送信失敗)", empty, "time1", 0, 0, TRUE);
  EXPECT_EQ(" 2024/05/01 09:30:15.007 ： 失敗　( time1 の応答 ) 通信エラー(送信失敗)", j.host.Last().line);
  EXPECT_EQ(0, j.run.nSlewMSec);  // every run starts by clearing it

  struct Case {
    LONG skew;  // server minus local
    int allowance;
    BOOL bSet;
    int kind, steps;
    LONG slew;
  } cases[] = {
      {999, 1000, TRUE, kCorrectionConfirmed, 0, 0},
      {-999, 1000, TRUE, kCorrectionConfirmed, 0, 0},
      {1000, 1000, TRUE, kCorrectionCorrected, 1, 0},      // behind: step
      {-1000, 1000, TRUE, kCorrectionCorrected, 0, 1000},  // ahead: hold back
      {-119999, 1000, TRUE, kCorrectionCorrected, 0, 119999},
      {-120000, 1000, TRUE, kCorrectionCorrected, 1, 0},  // two minutes ahead: step back
      {0, 0, TRUE, kCorrectionCorrected, 1, 0},           // allowance 0 steps even "no offset"
      {5000, 1000, FALSE, kCorrectionConfirmed, 0, 0},     // a test run never sets
  };
  for (const Case& c : cases) {
    Judged j;
    j.Judge(c.skew, c.allowance, c.bSet);
    SCOPED_TRACE(j.host.Last().line);
    EXPECT_EQ(c.kind, j.host.Last().kind);
    EXPECT_EQ(c.steps, j.clock.GetSetCount());
    EXPECT_EQ(c.slew, j.run.nSlewMSec);
  }
  EXPECT_EQ(0xFFFFFFFFu - 0xFFFFFFF0u + 5u, TicksSince(0xFFFFFFF0u, 5));  // across the wrap
}

namespace {
// An SNTP server on 127.0.0.1:123 that hands each request to a script.
class CScriptedServer {
 public:
  using Script = std::function<void(CScriptedServer&, const NTP_PACKET& request, int port)>;

  explicit CScriptedServer(Script s) : script(std::move(s)) {
    EXPECT_TRUE(sock.Open(123, "127.0.0.1")) << "port 123 is taken";
    worker = std::thread([this] {
      NTP_PACKET request;
      DWORD address;
      int port;
      while (!stop) {
        if (sock.RecvFrom(&request, kNtpPacketSize, 0, &port, &address) != kNtpPacketSize) continue;
        ++requests;
        script(*this, request, port);
      }
    });
  }
  ~CScriptedServer() {
    stop = true;
    sock.Close();
    worker.join();
  }
  // Sends bytes to the client from the server's own port (or from another).
  void Answer(const void* data, int length, int port, bool ownPort = true) {
    CUDPSocket other;
    CUDPSocket& from = ownPort ? sock : (other.Open(0, "127.0.0.1"), other);
    from.SendTo(data, length, port, LoopbackAddress());
  }
  // A well-formed reply to the request, the server clock skewMs ahead.
  NTP_PACKET Reply(const NTP_PACKET& request, LONG skewMs) {
    SYSTEMTIME requestUtc;
    CSystemTime now;
    request.GetTransmitTime(&requestUtc);
    GetWin32Clock()->GetSystemTime(&now);
    now.AddMilliseconds(skewMs);
    NTP_PACKET reply = MakeReply(requestUtc, now);
    reply.tsOriginate = request.tsTransmit;
    return reply;
  }

  std::atomic<int> requests{0};

 private:
  Script script;
  CUDPSocket sock;
  std::atomic<bool> stop{false};
  std::thread worker;
};

std::string LastLine(const CRecordingHost& host) { return host.entries.empty() ? "" : host.Last().line; }
}  // namespace

TEST(NtpQuery, RepliesThatDoNotMatchTheRequestAreIgnored) {
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
  EXPECT_TRUE(run.CheckTimeNtp("127.0.0.1", 3000, 1000, FALSE)) << LastLine(host);
  EXPECT_EQ(kCorrectionConfirmed, host.Last().kind) << host.Last().line;
}

TEST(NtpQuery, UnusableAnswersFailTheRunAndSilenceWaitsAWholeSlice) {
  const char kMode[] = "通信エラー(返答モード不正)", kLength[] = "通信エラー(受信失敗)";
  struct Case {
    DWORD mask, set;  // applied to the header
    bool noTime;
    int length;
    const char* text;
  } cases[] = {
      {0xF8FFFFFF, 0x03000000, false, 48, kMode},  // mode 3
      {0xF8FFFFFF, 0x05000000, false, 48, kMode},  // mode 5
      {0xFF00FFFF, 0, false, 48, kMode},           // stratum 0
      {0xFFFFFFFF, 0xC0000000, false, 48, kMode},  // leap 3
      {0xFFFFFFFF, 0, true, 48, kMode},            // no transmit time
      {0xFFFFFFFF, 0, false, 47, kLength},
      {0xFFFFFFFF, 0, false, 49, kLength},
  };
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  for (const Case& c : cases) {
    CScriptedServer server([&c](CScriptedServer& s, const NTP_PACKET& request, int port) {
      char bytes[64] = {};
      NTP_PACKET reply = s.Reply(request, 9000);
      reply.SetHeader((reply.GetHeader() & c.mask) | c.set);
      if (c.noTime) reply.tsTransmit.dwSeconds = reply.tsTransmit.dwFraction = 0;
      CopyMemory(bytes, &reply, kNtpPacketSize);
      s.Answer(bytes, c.length, port);
    });
    CRecordingHost host;
    CTimeCorrection run(&host);
    EXPECT_FALSE(run.CheckTimeNtp("127.0.0.1", 3000, 0, TRUE));
    EXPECT_NE(std::string::npos, LastLine(host).find(std::string("失敗　( 127.0.0.1 の応答 ) ") + c.text))
        << LastLine(host);
  }
  // A limit below one second still waits one whole slice.
  CScriptedServer silent([](CScriptedServer&, const NTP_PACKET&, int) {});
  CRecordingHost host;
  CTimeCorrection run(&host);
  DWORD start = GetWin32Clock()->GetTickCount();
  EXPECT_FALSE(run.CheckTimeNtp("127.0.0.1", 500, 0, TRUE));
  EXPECT_GE(RealMsSince(start), 900u);
  EXPECT_NE(std::string::npos, LastLine(host).find("返答待機タイムアウト[")) << LastLine(host);
  EXPECT_EQ(1, silent.requests.load());
  EXPECT_EQ(0, clock.GetSetCount());
}
