#include "server/server_packet.h"

#include <winsock.h>

#include "server/server_settings.h"

SERVER_IDENTITY GetServerIdentity() {
  // Without a settings object the program's defaults are sent.
  CServerSettings* settings = GetServerSettings();
  SERVER_IDENTITY identity;
  identity.nStratum = settings ? settings->nStratum : 4;
  const char* refId = settings ? static_cast<const char*>(settings->sRefId) : "127.0.0.1";
  if (identity.nStratum <= 1) {
    // A reference clock code: up to four bytes, zeros after a shorter text.
    ZeroMemory(identity.abReferenceId, sizeof(identity.abReferenceId));
    for (int i = 0; i < 4 && refId[i]; ++i) identity.abReferenceId[i] = static_cast<BYTE>(refId[i]);
  } else {
    DWORD address = inet_addr(refId);  // no dotted address: all one bits
    CopyMemory(identity.abReferenceId, &address, sizeof(address));
  }
  return identity;
}

BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode) {
  return SendServerPacket(pSntp, pMsg, dwAddress, nPort, nMode, GetServerIdentity());
}

BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode,
                      const SERVER_IDENTITY& identity) {
  if (!pSntp || !pMsg) return FALSE;
  pMsg->dwRootDelay = 0;
  pMsg->dwRootDispersion = 0;
  pMsg->tsOriginate = pMsg->tsTransmit;
  pMsg->SetTransmitTime();
  pMsg->tsReceive = pMsg->tsTransmit;
  pMsg->tsReference = pMsg->tsTransmit;
  CopyMemory(pMsg->abReferenceId, identity.abReferenceId, sizeof(pMsg->abReferenceId));

  DWORD stratum = static_cast<DWORD>(identity.nStratum);
  DWORD header = (static_cast<DWORD>(0x20 | (nMode & 7)) << 24) | ((stratum & 0xFF) << 16) |
                 ((2u * stratum - 18u) & 0xFF);
  pMsg->SetHeader(header);
  // Sent last, so Transmit is never earlier than Receive.
  pMsg->SetTransmitTime();
  pMsg->nLength = kNtpPacketSize;
  return pSntp->Send(*pMsg, dwAddress, nPort);
}
