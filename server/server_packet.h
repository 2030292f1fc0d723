#pragma once
// Turns an SNTP message into the server's reply (mode 4) or broadcast
// (mode 5) and sends it. Stratum and reference identifier come from the
// process-wide settings.
#include <windows.h>

#include "core/ntp_packet.h"
#include "core/sntp.h"

// What a packet says about the server: its stratum and the four bytes of
// its Reference Identifier.
struct SERVER_IDENTITY {
  int nStratum;
  BYTE abReferenceId[4];
};

// From the process-wide settings (the program's defaults without any).
SERVER_IDENTITY GetServerIdentity();

// Every byte of the 48 is rewritten; the message's Transmit Timestamp becomes
// the Originate Timestamp. TRUE when all 48 bytes were sent.
BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode);
// The same with an identity taken before: the responder takes it once, as
// stratum and reference identifier do not change while the program runs.
BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode,
                      const SERVER_IDENTITY& identity);
