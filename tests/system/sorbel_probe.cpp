// The server engine without its window: sorbel_probe INI SECONDS [BROADCASTS] answers as INI says, sends BROADCASTS
// half a second apart, stops after SECONDS or once INI.stop exists; prints response=, broadcast=, stop_ms=, done=.
// It shows no boxes: the tests use free ports.
#include <cstdio>
#include <cstdlib>

#include "core/clock.h"
#include "core/winsock_startup.h"
#include "server/server_engine.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sorbel_probe INI SECONDS [BROADCASTS]\n");
    return 2;
  }
  if (!StartupWinsock(1, 1)) return 1;
  DWORD limitMs = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
  int broadcasts = argc > 3 ? std::atoi(argv[3]) : 0;
  CCharString stopFile = CCharString(argv[1]) + ".stop";
  {
    CServerSettings settings(argv[1]);
    settings.bDirty = FALSE;  // the test's file stays as written
    SetServerSettings(&settings);
    CServerEngine engine(&settings, nullptr, nullptr);
    BOOL on = engine.SetResponseMode(settings.bResponseMode);
    std::printf("response=%d\n", on && engine.GetResponder() ? 1 : 0);
    std::fflush(stdout);
    CClock* clock = GetClock();
    DWORD start = clock->GetTickCount(), nextBroadcast = start;
    while (clock->GetTickCount() - start < limitMs && GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES) {
      if (broadcasts > 0 && clock->GetTickCount() - nextBroadcast < 0x80000000u) {
        std::printf("broadcast=%d\n", engine.BroadcastNow() ? 1 : 0);
        --broadcasts;
        nextBroadcast += 500;
      }
      clock->Sleep(20);
    }
    DWORD t0 = clock->GetTickCount();
    engine.SetResponseMode(FALSE);
    std::printf("stop_ms=%lu\n", static_cast<unsigned long>(clock->GetTickCount() - t0));
    SetServerSettings(nullptr);
  }
  CleanupWinsock();
  std::printf("done=1\n");
  return 0;
}
