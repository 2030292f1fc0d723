#pragma once
// Turns an SNTP message into the server's reply (mode 4) or broadcast
// (mode 5) and sends it. Stratum and reference identifier come from the
// process-wide settings.
#include <windows.h>

#include "core/ntp_packet.h"
#include "core/sntp.h"

// Every byte of the 48 is rewritten; the message's Transmit Timestamp becomes
// the Originate Timestamp. TRUE when all 48 bytes were sent.
BOOL SendServerPacket(CSNTP* pSntp, NTP_PACKET* pMsg, DWORD dwAddress, int nPort, int nMode);
