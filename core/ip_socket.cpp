#include "core/ip_socket.h"

#include "core/resolve_host.h"

CIPSocket::CIPSocket()
    : nTimeLimit(kDefaultTimeLimit), hSocket(INVALID_SOCKET), nLastError(0) {}

CIPSocket::~CIPSocket() { CIPSocket::Close(); }

SOCKET CIPSocket::GetHandle() const { return __atomic_load_n(&hSocket, __ATOMIC_ACQUIRE); }

BOOL CIPSocket::HasSocket() const { return GetHandle() != INVALID_SOCKET; }

sockaddr_in CIPSocket::MakeAddress(int port, DWORD address) {
  sockaddr_in sa;
  ZeroMemory(&sa, sizeof(sa));
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<u_short>(port));
  sa.sin_addr.s_addr = address;
  return sa;
}

BOOL CIPSocket::Create(int type) {
  SOCKET s = socket(AF_INET, type, 0);
  if (s == INVALID_SOCKET) return FALSE;
  SOCKET old = __atomic_exchange_n(&hSocket, s, __ATOMIC_ACQ_REL);
  if (old != INVALID_SOCKET) closesocket(old);  // never leak a handle
  return TRUE;
}

BOOL CIPSocket::Bind(int port, DWORD address) {
  if (!IsPort(port)) {
    nLastError = WSAEINVAL;
    return FALSE;
  }
  sockaddr_in sa = MakeAddress(port, address);
  if (bind(GetHandle(), reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR) {
    nLastError = WSAGetLastError();
    return FALSE;
  }
  return TRUE;
}

BOOL CIPSocket::Close() {
  // Exactly one caller takes the handle, even when two threads close at once.
  SOCKET s = __atomic_exchange_n(&hSocket, INVALID_SOCKET, __ATOMIC_ACQ_REL);
  if (s == INVALID_SOCKET) return FALSE;
  // A recvfrom or select blocked in another thread must return: closesocket
  // does that on Windows and Wine, shutting down first also where a blocked
  // receive would stay blocked on a closed descriptor.
  shutdown(s, 2);
  closesocket(s);
  nLastError = 0;
  return TRUE;
}

BOOL CIPSocket::Open(int port, const char* host) {
  DWORD address = 0;
  if (host && *host) {
    address = ResolveHost(host, FALSE);
    if (address == 0 || address == INADDR_NONE) return FALSE;
  }
  return Open(port, address);
}

int CIPSocket::Wait(int ms, BOOL bRead) {
  SOCKET s = GetHandle();
  if (s == INVALID_SOCKET) {
    nLastError = WSAENOTSOCK;
    return -1;
  }
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval limit;
  timeval* pLimit = nullptr;
  if (ms != -1) {
    if (ms < 0) ms = 0;
    limit.tv_sec = ms / 1000;
    limit.tv_usec = (ms % 1000) * 1000;
    pLimit = &limit;
  }
  int n = select(static_cast<int>(s + 1), bRead ? &set : nullptr, bRead ? nullptr : &set, nullptr,
                 pLimit);
  if (n == SOCKET_ERROR) {
    nLastError = WSAGetLastError();
    return -1;
  }
  if (GetHandle() != s) {  // closed by another thread while we waited
    nLastError = WSAENOTSOCK;
    return -1;
  }
  return FD_ISSET(s, &set) ? n : 0;
}
