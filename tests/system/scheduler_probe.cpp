// Periodic correction runs of the scheduler against real servers, on the
// real clock shifted by LOCAL_SKEW_MS, its one-second timer simulated:
//   scheduler_probe LOCAL_SKEW_MS TIMEOUT_MS RUNS HOST...
// The list holds the hosts in order with the first selected; interval 15
// minutes, allowance 200 ms, rotation on. Periodic correction starts (one
// run at once), then the timer ticks until RUNS more runs were made.
// Printed for the script, as it happens:
//   line KIND TEXT                                  each log line
//   run TICK selection S slew_ms H skew_ms K        after each run
//   held TICK skew_ms K                             when a hold-back ended
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "client/correction_scheduler.h"
#include "core/winsock_startup.h"
#include "support/skewed_clock.h"

namespace {
class CPrintingHost : public CCorrectionHost {
 public:
  void ReportCorrection(const CCharString& line, int kind) override {
    std::printf("line %d %s\n", kind, static_cast<const char*>(line));
    ++nLines;
  }
  BOOL GetHttpProxy(CCharString*) override { return FALSE; }
  int nLines = 0;
};

class CTickedWindow : public CSchedulerWindow {
 public:
  UINT_PTR SetTimer(UINT_PTR nId, UINT) override { return nId; }
  void KillTimer(UINT_PTR) override {}
  void PostCommand(UINT) override {}
  void SetStatusText(int, const char*) override {}
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: scheduler_probe LOCAL_SKEW_MS TIMEOUT_MS RUNS HOST...\n");
    return 2;
  }
  if (!StartupWinsock(1, 1)) return 1;
  CSkewedClock clock(std::atoll(argv[1]));
  SetClock(&clock);
  CClientConfig config(".\\", ".\\", nullptr);
  config.nCheckSpan = 15;
  config.nTimeout = std::atoi(argv[2]);
  config.nAllowance = 200;
  for (int i = 4; i < argc; ++i) config.GetServerList()->AddItem(new NTP_SERVER_INFO("ntp", argv[i], argv[i]));
  config.GetServerList()->SetSelection(0);
  CPrintingHost host;
  CTimeCorrection correction(&host);
  CTickedWindow window;
  CCorrectionScheduler scheduler(&config, &correction, nullptr, &window);

  auto report = [&](int nTick) {
    std::printf("run %d selection %d slew_ms %ld skew_ms %lld\n", nTick, config.GetServerList()->GetSelection(),
                static_cast<long>(correction.nSlewMSec), clock.GetSkew());
    std::fflush(stdout);
  };
  scheduler.StartPeriodic();
  report(0);
  int nRuns = std::atoi(argv[3]);
  for (int nTick = 1, nDone = 0; nDone < nRuns && nTick <= (nRuns + 1) * 900; ++nTick) {
    int nLines = host.nLines;
    bool bHolding = correction.nSlewMSec > 0;
    scheduler.OnTimer(CCorrectionScheduler::kTimerId);
    if (bHolding && correction.nSlewMSec <= 0) std::printf("held %d skew_ms %lld\n", nTick, clock.GetSkew());
    if (host.nLines != nLines) {
      report(nTick);
      ++nDone;
    }
  }
  SetClock(nullptr);
  CleanupWinsock();
  return 0;
}
