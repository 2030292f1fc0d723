#pragma once
#include <winsock.h>

// IPv4 address (network order) of a dotted address or host name. A dotted
// address is taken without lookup unless bForceLookup. A failed resolution
// gives INADDR_NONE with WSAGetLastError() == WSAEINVAL (10022); note that
// 255.255.255.255 cannot be told from that.
DWORD ResolveHost(const char* name, BOOL bForceLookup);
