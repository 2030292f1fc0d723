// SNTP exchanges through CSNTP and the offset formula, printed as key=value
// lines for the system tests:  sntp_probe ADDRESS [PORT [LIMIT_MS [COUNT]]]
// With COUNT > 1 the exchange with the shortest round trip is reported (the
// one least disturbed by scheduling), as NTP clients pick their samples.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "core/clock.h"
#include "core/resolve_host.h"
#include "core/sntp.h"
#include "core/winsock_startup.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "sntp_probe: %s\n", what);
  return 1;
}

// Milliseconds between two tick counts, across a wrap of the counter.
LONGLONG TicksSince(DWORD start) { return static_cast<DWORD>(GetClock()->GetTickCount() - start); }

struct Sample {
  NTP_PACKET reply;
  LONGLONG elapsed;
};

// One exchange as a correction run makes it: stamp, send, wait in one-second
// slices up to the limit, receive a mode-4 reply.
const char* Exchange(CSNTP& sntp, DWORD address, int port, LONGLONG limit, Sample* out) {
  NTP_PACKET packet;
  packet.InitRequest();
  packet.SetTransmitTime();
  if (!sntp.Send(packet, address, port)) return "send failed";
  DWORD t0 = GetClock()->GetTickCount();
  for (;;) {
    int w = sntp.Wait(1000);
    LONGLONG elapsed = TicksSince(t0);
    if (w < 0) return "wait failed";
    if (elapsed >= limit) return "no reply in time";
    if (w > 0) break;
  }
  out->elapsed = TicksSince(t0);
  if (!sntp.Receive(&out->reply, nullptr, nullptr)) return "receive failed";
  if (out->reply.GetMode() != kNtpModeServer) return "reply is not mode 4";
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: sntp_probe ADDRESS [PORT [LIMIT_MS [COUNT]]]");
  int port = argc > 2 ? std::atoi(argv[2]) : 123;
  LONGLONG limit = argc > 3 ? std::atoi(argv[3]) : 5000;
  int count = argc > 4 ? std::atoi(argv[4]) : 1;
  if (count < 1 || count > 100) return Fail("COUNT must be 1 to 100");
  if (!StartupWinsock(1, 1)) return Fail("Winsock did not start");
  DWORD address = ResolveHost(argv[1], FALSE);
  if (address == INADDR_NONE) return Fail("address not resolved");

  CSNTP sntp;
  Sample best = {};
  best.elapsed = -1;
  std::printf("samples=");
  for (int i = 0; i < count; ++i) {
    Sample sample;
    if (const char* error = Exchange(sntp, address, port, limit, &sample)) return Fail(error);
    std::printf("%s%ld/%ld", i ? "," : "", static_cast<long>(SntpOffset(sample.reply, sample.elapsed)),
                static_cast<long>(sample.elapsed));
    if (best.elapsed < 0 || sample.elapsed < best.elapsed) best = sample;
  }
  std::printf("\n");

  const NTP_PACKET& packet = best.reply;
  char refid[kNtpRefIdTextSize];
  packet.GetReferenceIdText(refid, sizeof(refid));
  SYSTEMTIME t;
  packet.GetTransmitTime(&t);
  std::printf("offset_ms=%ld\n", static_cast<long>(SntpOffset(packet, best.elapsed)));
  std::printf("elapsed_ms=%ld\n", static_cast<long>(best.elapsed));
  std::printf("originate_minus_transmit_ms=%ld\n",
              static_cast<long>(packet.GetOriginateMinusTransmit()));
  std::printf("stratum=%d\nprecision=%d\nrefid=%s\n", packet.GetStratum(), packet.GetPrecision(),
              refid);
  std::printf("root_delay_ms=%lu\nroot_dispersion_ms=%lu\n",
              static_cast<unsigned long>(packet.GetRootDelayMs()),
              static_cast<unsigned long>(packet.GetRootDispersionMs()));
  std::printf("transmit_utc=%04u-%02u-%02u %02u:%02u:%02u.%03u\n", t.wYear, t.wMonth, t.wDay,
              t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
  CleanupWinsock();
  return 0;
}

