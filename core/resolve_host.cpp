#include "core/resolve_host.h"

DWORD ResolveHost(const char* name, BOOL bForceLookup) {
  // An empty name would be the local host to gethostbyname; it names nothing.
  if (!name || !*name) {
    WSASetLastError(WSAEINVAL);
    return INADDR_NONE;
  }
  DWORD a = inet_addr(name);
  if (a != INADDR_NONE && !bForceLookup) return a;
  const hostent* host = gethostbyname(name);
  if (host && host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list &&
      host->h_addr_list[0]) {
    DWORD found;
    CopyMemory(&found, host->h_addr_list[0], sizeof(found));
    return found;
  }
  WSASetLastError(WSAEINVAL);
  return a;
}
