// One server-list download through CClientConfig (settings from DATA_FOLDER first), printed as key=value lines:
//   server_list_probe DATA_FOLDER MODULE_FOLDER [--timeout MS]
#include <cstdio>
#include <cstdlib>

#include "client/client_settings.h"
#include "core/clock.h"
#include "core/winsock_startup.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: server_list_probe DATA_FOLDER MODULE_FOLDER [--timeout MS]\n");
    return 2;
  }
  if (!StartupWinsock(1, 1)) return 1;
  CClientConfig config(argv[1], argv[2], nullptr);
  if (argc >= 5) config.nDownloadTimeout = std::atoi(argv[4]);
  config.LoadConfig();
  DWORD start = GetClock()->GetTickCount();
  bool done = config.DownloadServerList();
  CServerList* list = config.GetServerList();
  std::printf("url=%s\nresult=%d\nelapsed_ms=%lu\ncount=%d\nselection=%d\n",
              static_cast<const char*>(config.GetServerListUrl()), done ? 1 : 0,
              static_cast<unsigned long>(GetClock()->GetTickCount() - start), list->GetCount(), list->GetSelection());
  for (int i = 0; i < list->GetCount(); ++i)
    std::printf("entry.%d=%s\n", i, static_cast<const char*>(list->GetAt(i)->GetText()));
  CleanupWinsock();
  return 0;
}
