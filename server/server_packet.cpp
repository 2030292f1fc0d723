#include "server/server_packet.h"

#include <winsock.h>

#include "server/server_settings.h"

namespace {

// Without a settings object the program's defaults are sent.
void GetIdentity(int* stratum, const char** refId) {
  CServerSettings* settings = GetServerSettings();
  *stratum = settings ? settings->nStratum : 4;
  *refId = settings ? static_cast<const char*>(settings->sRefId) : "127.0.0.1";
}

}  // namespace

BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode) {
  if (!pSntp || !pMsg) return FALSE;
  int stratum;
  const char* refId;
  GetIdentity(&stratum, &refId);

  pMsg->dwRootDelay = 0;
  pMsg->dwRootDispersion = 0;
  pMsg->tsOriginate = pMsg->tsTransmit;
  pMsg->SetTransmitTime();
  pMsg->tsReceive = pMsg->tsTransmit;
  pMsg->tsReference = pMsg->tsTransmit;

  if (stratum <= 1) {
    // A reference clock code: up to four bytes, zeros after a shorter text.
    ZeroMemory(pMsg->abReferenceId, sizeof(pMsg->abReferenceId));
    for (int i = 0; i < 4 && refId[i]; ++i) pMsg->abReferenceId[i] = static_cast<BYTE>(refId[i]);
  } else {
    DWORD address = inet_addr(refId);  // no dotted address: all one bits
    CopyMemory(pMsg->abReferenceId, &address, sizeof(address));
  }

  DWORD header = (static_cast<DWORD>(0x20 | (nMode & 7)) << 24) |
                 ((static_cast<DWORD>(stratum) & 0xFF) << 16) |
                 ((2u * static_cast<DWORD>(stratum) - 18u) & 0xFF);
  pMsg->SetHeader(header);
  // Sent last, so Transmit is never earlier than Receive.
  pMsg->SetTransmitTime();
  pMsg->nLength = kNtpPacketSize;
  return pSntp->Send(*pMsg, dwAddress, nPort);
}
