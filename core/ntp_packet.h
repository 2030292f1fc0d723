#pragma once
// The SNTP message: the 48 bytes that travel on UDP port 123, then the
// count of bytes sent and received. Plain data, copied by value.
#include <windows.h>

#include <cstddef>

#include "core/ntp_timestamp.h"

constexpr int kNtpPacketSize = 48;
constexpr int kNtpModeClient = 3;
constexpr int kNtpModeServer = 4;
constexpr int kNtpModeBroadcast = 5;
// Enough for the longest reference identifier text, "255.255.255.255".
constexpr int kNtpRefIdTextSize = 16;

struct NTP_PACKET {
  // Wire fields, all in network order.
  DWORD dwHeader;          // LI/VN/Mode, Stratum, Poll, Precision
  DWORD dwRootDelay;       // 16-bit seconds, 16-bit fraction
  DWORD dwRootDispersion;  // same layout
  BYTE abReferenceId[4];   // four characters or an IPv4 address
  NTP_TIMESTAMP tsReference;
  NTP_TIMESTAMP tsOriginate;
  NTP_TIMESTAMP tsReceive;
  NTP_TIMESTAMP tsTransmit;
  // Bytes that CSNTP sends and receives: always 48.
  LONG nLength;

  // The client request: 23 00 00 00, 36 zero bytes, the current UTC time
  // as Transmit Timestamp; nLength 48.
  void InitRequest();
  BOOL SetTransmitTime();  // current UTC from the clock interface
  BOOL SetTransmitTime(const SYSTEMTIME& utc);
  BOOL GetTransmitTime(SYSTEMTIME* utc) const;
  // Originate minus Transmit in ms, rounded half away from zero. Beyond the
  // 32-bit range it saturates to +/-LONG_MAX rather than wrapping (a wrapped
  // value could flip the sign of a correction).
  LONG GetOriginateMinusTransmit() const;

  // The first word in host order and its parts.
  DWORD GetHeader() const;
  void SetHeader(DWORD header);
  int GetMode() const;       // bits 26-24
  int GetStratum() const;    // bits 23-16, read as signed 8-bit (200 gives -56)
  int GetPrecision() const;  // bits 7-0, signed 8-bit
  // Root Delay and Root Dispersion in ms: h * 1000 + l * 1000 / 65535.
  DWORD GetRootDelayMs() const;
  DWORD GetRootDispersionMs() const;
  // The Reference Identifier as shown: dotted IPv4 address when the signed
  // Stratum is above 1, otherwise up to four characters ending at the first
  // zero byte. Returns the text length, or -1 when the buffer is unusable;
  // the text is cut to size - 1 characters.
  int GetReferenceIdText(char* buffer, int size) const;

  const BYTE* GetBytes() const { return reinterpret_cast<const BYTE*>(this); }
  BYTE* GetBytes() { return reinterpret_cast<BYTE*>(this); }
};
static_assert(offsetof(NTP_PACKET, tsTransmit) == 40, "wire layout");
static_assert(offsetof(NTP_PACKET, nLength) == kNtpPacketSize, "48 wire bytes, then the length");

// Decodes a 16.16 root delay or dispersion word (network order) into ms.
DWORD NtpShortToMs(DWORD networkValue);

// half := elapsed / 2 (truncated toward zero), kept within the 32-bit range.
LONG SntpHalfElapsed(LONGLONG elapsedMs);
// The clock offset of a reply: half the round trip plus Originate minus
// Transmit; positive when the local clock is ahead of the server. Saturates
// to +/-LONG_MAX like GetOriginateMinusTransmit.
LONG SntpOffset(const NTP_PACKET& reply, LONGLONG elapsedMs);
