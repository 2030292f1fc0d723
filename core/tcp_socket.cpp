#include "core/tcp_socket.h"

#include <memory>

#include "core/resolve_host.h"

CTCPSocket::CTCPSocket() : dwPeerAddr(0), bConnected(FALSE) {}

CTCPSocket::~CTCPSocket() { CTCPSocket::Close(); }

BOOL CTCPSocket::Close() {
  bConnected = FALSE;
  return CIPSocket::Close();
}

BOOL CTCPSocket::Open(int port, DWORD address) {
  if (!Create(SOCK_STREAM) || !Bind(port, address) || !Listen(kMaxBacklog)) {
    int error = nLastError;  // keep the bind error that Close would clear
    Close();
    nLastError = error;
    return FALSE;
  }
  return TRUE;
}

BOOL CTCPSocket::Listen(int backlog) {
  if (backlog < 0 || backlog > kMaxBacklog) return FALSE;
  return listen(GetHandle(), backlog) != SOCKET_ERROR;
}

BOOL CTCPSocket::Connect(int port, DWORD address) {
  if (!IsPort(port)) return FALSE;
  sockaddr_in sa = MakeAddress(port, address);
  if (connect(GetHandle(), reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR) {
    return FALSE;
  }
  dwPeerAddr = address;
  bConnected = TRUE;
  return TRUE;
}

BOOL CTCPSocket::ConnectTo(int port, DWORD address) {
  if (!Create(SOCK_STREAM) || !Connect(port, address)) {
    Close();
    return FALSE;
  }
  return TRUE;
}

BOOL CTCPSocket::ConnectWithin(int port, const char* host, int ms) {
  DWORD address = ResolveHost(host, FALSE);
  if (address == 0 || address == INADDR_NONE) return FALSE;
  return ConnectWithin(port, address, ms);
}

BOOL CTCPSocket::ConnectWithin(int port, DWORD address, int ms) {
  if (!IsPort(port) || !Create(SOCK_STREAM)) return FALSE;
  bConnected = FALSE;
  SOCKET s = GetHandle();
  auto fail = [this](int error) {
    Close();
    nLastError = error;
    return FALSE;
  };
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) == SOCKET_ERROR) return fail(WSAGetLastError());
  sockaddr_in sa = MakeAddress(port, address);
  if (connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof(sa)) == SOCKET_ERROR) {
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) return fail(error);
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit = {ms / 1000, (ms % 1000) * 1000};
    int n = select(static_cast<int>(s + 1), nullptr, &writable, &failed, ms < 0 ? nullptr : &limit);
    if (n == 0) return fail(WSAETIMEDOUT);
    if (n == SOCKET_ERROR) return fail(WSAGetLastError());
    // Winsock reports a failed connect in the exception set, BSD stacks as
    // writable with a pending error: check both.
    int pending = 0;
    int length = sizeof(pending);
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) == SOCKET_ERROR) {
      return fail(WSAGetLastError());
    }
    if (FD_ISSET(s, &failed) || !FD_ISSET(s, &writable) || pending != 0) {
      return fail(pending != 0 ? pending : WSAECONNREFUSED);
    }
  }
  u_long blocking = 0;
  if (ioctlsocket(s, FIONBIO, &blocking) == SOCKET_ERROR) return fail(WSAGetLastError());
  dwPeerAddr = address;
  bConnected = TRUE;
  return TRUE;
}

BOOL CTCPSocket::ConnectByName(int port, const char* host) {
  DWORD address = ResolveHost(host, FALSE);
  if (address == 0 || address == INADDR_NONE) return FALSE;
  return ConnectTo(port, address);
}

CTCPSocket* CTCPSocket::CreateConnected(const char* host, int port) {
  std::unique_ptr<CTCPSocket> s(new CTCPSocket);
  if (!s->ConnectByName(port, host)) return nullptr;
  return s.release();
}

int CTCPSocket::Send(const void* data, int length) {
  if (length < 0 || (!data && length > 0)) {
    nLastError = WSAEINVAL;
    return -1;
  }
  int n = send(GetHandle(), static_cast<const char*>(data), length, 0);
  if (n == SOCKET_ERROR) {
    nLastError = WSAGetLastError();
    return -1;
  }
  if (n == 0) nLastError = 0;
  return n;
}

int CTCPSocket::Recv(void* buffer, int size) {
  if (size < 0 || (!buffer && size > 0)) {
    nLastError = WSAEINVAL;
    return -1;
  }
  int n = recv(GetHandle(), static_cast<char*>(buffer), size, 0);
  if (n == SOCKET_ERROR) {
    nLastError = WSAGetLastError();
    return -1;
  }
  if (n == 0) nLastError = 0;  // the peer closed the connection
  return n;
}

BOOL CTCPSocket::SendAll(const void* data, int length, int ms) {
  if (length < 0 || (!data && length > 0)) return FALSE;
  const char* p = static_cast<const char*>(data);
  int sent = 0;
  while (sent < length) {
    if (Wait(ms, FALSE) <= 0) return FALSE;
    int n = Send(p + sent, length - sent);
    if (n <= 0) return FALSE;
    sent += n;
  }
  return TRUE;
}

BOOL CTCPSocket::IsConnected() const { return bConnected; }
