// Correction runs on the real clock shifted by LOCAL_SKEW_MS (reset before each run), for the scripts:
//   correction_probe ntp|http TARGET LIMIT_MS ALLOWANCE_MS SET LOCAL_SKEW_MS [COUNT [PROXY]]
// Per run "result=R kind=K sets=N skew_ms=S slew_ms=H real_ms=T line=LINE", skew_ms the shift after it.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/time_correction.h"
#include "core/winsock_startup.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr, "usage: correction_probe ntp|http TARGET LIMIT_MS ALLOWANCE_MS SET LOCAL_SKEW_MS"
                         " [COUNT [PROXY]]\n");
    return 2;
  }
  if (!StartupWinsock(1, 1)) return 1;
  int limit = std::atoi(argv[3]), allowance = std::atoi(argv[4]), count = argc > 7 ? std::atoi(argv[7]) : 1;
  LONGLONG localSkew = std::atoll(argv[6]);
  CSkewedClock clock(localSkew);
  SetClock(&clock);
  CRecordingHost host;
  if (argc > 8) host.sProxy = argv[8];
  CTimeCorrection run(&host);
  for (int i = 0; i < count && i < 1000; ++i) {
    clock.SetSkew(localSkew);
    int setsBefore = clock.GetSetCount();
    DWORD start = GetWin32Clock()->GetTickCount();
    BOOL result = std::strcmp(argv[1], "http") == 0 ? run.CheckTimeHttp(argv[2], limit, allowance, std::atoi(argv[5]))
                                                    : run.CheckTimeNtp(argv[2], limit, allowance, std::atoi(argv[5]));
    std::printf("result=%d kind=%d sets=%d skew_ms=%ld slew_ms=%ld real_ms=%lu line=%s\n", result ? 1 : 0,
                host.Last().kind, clock.GetSetCount() - setsBefore, static_cast<long>(clock.GetSkew()),
                static_cast<long>(run.nSlewMSec), static_cast<unsigned long>(GetWin32Clock()->GetTickCount() - start),
                host.Last().line.c_str());
    std::fflush(stdout);
  }
  SetClock(nullptr);
  CleanupWinsock();
  return 0;
}
