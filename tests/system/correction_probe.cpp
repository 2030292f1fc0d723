// Correction runs against real servers on a virtual clock (the real one
// shifted by LOCAL_SKEW_MS, reset before each run), printed for the scripts:
//   correction_probe ntp|http TARGET LIMIT_MS ALLOWANCE_MS SET LOCAL_SKEW_MS [COUNT [PROXY]]
// One line per run:
//   result=R kind=K sets=N skew_ms=S slew_ms=H real_ms=T line=LINE
// skew_ms is the virtual clock's shift after the run (a step moves it).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clock.h"
#include "core/time_correction.h"
#include "core/winsock_startup.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"

int main(int argc, char** argv) {
  if (argc < 7) {
    std::fprintf(stderr,
                 "usage: correction_probe ntp|http TARGET LIMIT_MS ALLOWANCE_MS SET LOCAL_SKEW_MS"
                 " [COUNT [PROXY]]\n");
    return 2;
  }
  const bool http = std::strcmp(argv[1], "http") == 0;
  const char* target = argv[2];
  int limit = std::atoi(argv[3]), allowance = std::atoi(argv[4]);
  BOOL bSet = std::atoi(argv[5]) != 0;
  LONGLONG localSkew = std::atoll(argv[6]);
  int count = argc > 7 ? std::atoi(argv[7]) : 1;
  if (count < 1 || count > 1000) count = 1;
  if (!StartupWinsock(1, 1)) return 1;

  CSkewedClock clock(localSkew);
  SetClock(&clock);
  CRecordingHost host;
  if (argc > 8) host.sProxy = argv[8];
  CTimeCorrection run(&host);
  for (int i = 0; i < count; ++i) {
    clock.SetSkew(localSkew);
    int setsBefore = clock.GetSetCount();
    DWORD start = GetWin32Clock()->GetTickCount();
    BOOL result = http ? run.CheckTimeHttp(target, limit, allowance, bSet)
                       : run.CheckTimeNtp(target, limit, allowance, bSet);
    DWORD realMs = GetWin32Clock()->GetTickCount() - start;
    const CRecordingHost::Entry& e = host.Last();
    std::printf("result=%d kind=%d sets=%d skew_ms=%ld slew_ms=%ld real_ms=%lu line=%s\n",
                result ? 1 : 0, e.kind, clock.GetSetCount() - setsBefore, static_cast<long>(clock.GetSkew()),
                static_cast<long>(run.nSlewMSec), static_cast<unsigned long>(realMs),
                e.line.c_str());
    std::fflush(stdout);
  }
  SetClock(nullptr);
  CleanupWinsock();
  return 0;
}
