#include "core/sntp.h"

CSNTP::CSNTP() : pSocket(new CUDPSocket) {
  // Failures show up as failing sends and receives later.
  if (pSocket->Create(SOCK_DGRAM)) pSocket->EnableBroadcast();
}

CSNTP::~CSNTP() { delete pSocket; }

BOOL CSNTP::Send(const NTP_PACKET& msg, DWORD address, int port) {
  if (msg.nLength != kNtpPacketSize) return FALSE;
  return pSocket->SendTo(&msg, msg.nLength, port, address) == msg.nLength;
}

BOOL CSNTP::Receive(NTP_PACKET* msg, DWORD* address, int* port) {
  if (!msg) return FALSE;
  // Room for more than a message: a longer datagram then either fails
  // (Winsock) or arrives longer than 48 bytes (platforms that truncate);
  // both are rejected.
  BYTE buffer[kNtpPacketSize + 16];
  int fromPort = 0;
  DWORD fromAddress = 0;
  int n = pSocket->RecvFrom(buffer, sizeof(buffer), 0, &fromPort, &fromAddress);
  if (n != kNtpPacketSize) return FALSE;
  CopyMemory(msg, buffer, kNtpPacketSize);
  msg->nLength = kNtpPacketSize;
  if (address) *address = fromAddress;
  if (port) *port = fromPort;
  return TRUE;
}

int CSNTP::Wait(int ms) { return pSocket->Wait(ms, TRUE); }
