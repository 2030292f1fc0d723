// One HTTP request through CHTTPSocket, printed as key=value lines for the
// system tests:
//   http_probe URL [--proxy HOST[:PORT]] [--total MS] [--recv MS]
//              [--time-headers] [--header "Name: value"]... [--body]
// --time-headers sets the request headers of the HTTP time source
// (Connection, Pragma, Referer, User-Agent); --body reads the body through a
// CSocketReader until the peer closes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clock.h"
#include "core/http_socket.h"
#include "core/socket_reader.h"
#include "core/winsock_startup.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "http_probe: %s\n", what);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Fail("usage: http_probe URL [options]");
  const char* url = argv[1];
  CHTTPSocket s;
  bool body = false;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--body") == 0) {
      body = true;
    } else if (std::strcmp(arg, "--time-headers") == 0) {
      s.aRequestHeaders.SetHeader("Connection", "close");
      s.aRequestHeaders.SetHeader("Pragma", "no-cache");
      s.aRequestHeaders.SetHeader("Referer", url);
      s.aRequestHeaders.SetHeader("User-Agent", "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)");
    } else if (value == nullptr) {
      return Fail("option without value");
    } else {
      ++i;
      if (std::strcmp(arg, "--proxy") == 0) {
        SetProxyText(&s, value);
      } else if (std::strcmp(arg, "--total") == 0) {
        s.SetTotalTimeout(std::atoi(value));
      } else if (std::strcmp(arg, "--recv") == 0) {
        s.nRecvTimeout = std::atoi(value);
      } else if (std::strcmp(arg, "--header") == 0) {
        s.aRequestHeaders.Add(value);
      } else {
        return Fail("unknown option");
      }
    }
  }
  if (!StartupWinsock(1, 1)) return Fail("Winsock did not start");

  DWORD start = GetClock()->GetTickCount();
  BOOL sent = s.SendRequest(CHTTPSocket::methodGet, url, nullptr, -1);
  int response = sent ? s.ReadResponse() : 0;
  std::printf("sent=%d\nresponse=%d\n", sent ? 1 : 0, response);
  std::printf("header_count=%d\n", s.aResponseHeaders.GetCount());
  for (int i = 0; i < s.aResponseHeaders.GetCount(); ++i) {
    std::printf("header.%d=%s\n", i, static_cast<const char*>(s.aResponseHeaders.GetAt(i)));
  }
  if (body && response > 0) {
    CSocketReader reader(&s);
    long total = 0;
    std::printf("body_hex=");
    char buffer[512];
    while (!reader.IsEOF()) {
      int n = reader.Read(buffer, sizeof(buffer));
      if (n < 0) break;
      for (int i = 0; i < n; ++i) std::printf("%02x", static_cast<unsigned char>(buffer[i]));
      total += n;
    }
    std::printf("\nbody_bytes=%ld\nbody_eof=%d\n", total, reader.IsEOF() ? 1 : 0);
  }
  std::printf("last_error=%d\ntimed_out=%d\nelapsed_ms=%lu\n", s.nLastError, s.HasTimedOut() ? 1 : 0,
              static_cast<unsigned long>(GetClock()->GetTickCount() - start));
  s.Close();
  CleanupWinsock();
  return 0;
}
