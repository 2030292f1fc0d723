#include "core/udp_socket.h"

CUDPSocket::~CUDPSocket() {}

BOOL CUDPSocket::EnableBroadcast() {
  BOOL on = TRUE;
  return setsockopt(GetHandle(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                    sizeof(on)) != SOCKET_ERROR;
}

BOOL CUDPSocket::Open(int port, DWORD address) {
  if (!Create(SOCK_DGRAM) || !Bind(port, address)) {
    int error = nLastError;  // keep the bind error that Close would clear
    Close();
    nLastError = error;
    return FALSE;
  }
  EnableBroadcast();
  return TRUE;
}

int CUDPSocket::SendTo(const void* data, int length, int port, DWORD address) {
  if (length < 0 || (!data && length > 0) || !IsPort(port)) return -1;
  sockaddr_in sa = MakeAddress(port, address);
  int n = sendto(GetHandle(), static_cast<const char*>(data), length, 0,
                 reinterpret_cast<const sockaddr*>(&sa), sizeof(sa));
  return n == SOCKET_ERROR ? -1 : n;
}

int CUDPSocket::RecvFrom(void* buffer, int size, int flags, int* port, DWORD* address) {
  if (size < 0 || (!buffer && size > 0)) return -1;
  SOCKET s = GetHandle();
  sockaddr_in sa;
  ZeroMemory(&sa, sizeof(sa));
  int saLength = sizeof(sa);
  // Winsock reports a datagram that does not fit as WSAEMSGSIZE (-1).
  int n = recvfrom(s, static_cast<char*>(buffer), size, flags, reinterpret_cast<sockaddr*>(&sa),
                   &saLength);
  if (n == SOCKET_ERROR || GetHandle() != s) return -1;
  if (port) *port = ntohs(sa.sin_port);
  if (address) *address = sa.sin_addr.s_addr;
  return n;
}
