// One server-list download through CClientConfig, printed as key=value lines
// for the system tests:
//   server_list_probe DATA_FOLDER MODULE_FOLDER [--timeout MS]
// The settings (protocol, list address) are read from DATA_FOLDER first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "client/client_settings.h"
#include "core/clock.h"
#include "core/winsock_startup.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: server_list_probe DATA_FOLDER MODULE_FOLDER [--timeout MS]\n");
    return 2;
  }
  CClientConfig config(argv[1], argv[2], nullptr);
  if (argc >= 5 && std::strcmp(argv[3], "--timeout") == 0) config.nDownloadTimeout = std::atoi(argv[4]);
  if (!StartupWinsock(1, 1)) return 2;
  config.LoadConfig();
  std::printf("url=%s\n", static_cast<const char*>(config.GetServerListUrl()));
  DWORD start = GetClock()->GetTickCount();
  bool done = config.DownloadServerList();
  std::printf("result=%d\nelapsed_ms=%lu\n", done ? 1 : 0,
              static_cast<unsigned long>(GetClock()->GetTickCount() - start));
  CServerList* list = config.GetServerList();
  std::printf("count=%d\nselection=%d\n", list->GetCount(), list->GetSelection());
  for (int i = 0; i < list->GetCount(); ++i) {
    std::printf("entry.%d=%s\n", i, static_cast<const char*>(list->GetAt(i)->GetText()));
  }
  CleanupWinsock();
  return 0;
}
