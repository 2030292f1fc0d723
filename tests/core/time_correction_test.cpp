// The judgement of an NTP answer (step, hold back or leave) and its line. (Queries: ntp_correction_test.)
#include "core/time_correction.h"
#include "support/recording_host.h"
#include "support/suite.h"

namespace {

// The local clock reads 09:00:00.000 (JST) when a reply arrives 31 ms after the request from a server skewMs ahead.
struct Judged {
  CRecordingHost host;
  CTimeCorrection run{&host};
  CManualClock clock{MakeSystemTime(2024, 5, 1, 9, 0, 0, 0)};
  CClockInstaller installer{&clock};

  void Judge(LONG skewMs, int allowance, BOOL bSet) {
    CSystemTime request(MakeSystemTime(2024, 5, 1, 0, 0, 0, 0)), server = request;
    request.AddMilliseconds(-31);
    server.AddMilliseconds(skewMs - 16);  // the moment of stamping: Originate + half of 31 ms
    NTP_PACKET p;
    p.InitRequest();
    p.SetHeader(0x240200EC);  // LI 0, VN 4, mode 4, stratum 2, precision -20
    p.dwRootDelay = htonl(328);       // 5 ms
    p.dwRootDispersion = htonl(656);  // 10 ms
    CopyMemory(p.abReferenceId, "\xC0\x00\x02\x07", 4);
    p.tsOriginate.FromSystemTime(request);
    p.SetTransmitTime(server);
    run.FinishCheck(TRUE, "応答", "", p, "time1", 31, allowance, bSet);
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

