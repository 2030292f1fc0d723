#include "core/ntp_packet.h"

#include <winsock.h>

#include <climits>

#include "core/clock.h"

namespace {

constexpr DWORD kRequestHeader = 0x23000000;  // LI 0, version 4, mode 3

LONG Saturate(LONGLONG v) {
  if (v > LONG_MAX) return LONG_MAX;
  if (v < -LONG_MAX) return -LONG_MAX;
  return static_cast<LONG>(v);
}

}  // namespace

void NTP_PACKET::InitRequest() {
  ZeroMemory(this, kNtpPacketSize);
  SetHeader(kRequestHeader);
  SetTransmitTime();
  nLength = kNtpPacketSize;
}

BOOL NTP_PACKET::SetTransmitTime() {
  SYSTEMTIME utc;
  GetClock()->GetSystemTime(&utc);
  return SetTransmitTime(utc);
}

BOOL NTP_PACKET::SetTransmitTime(const SYSTEMTIME& utc) { return tsTransmit.FromSystemTime(utc); }

BOOL NTP_PACKET::GetTransmitTime(SYSTEMTIME* utc) const { return tsTransmit.ToSystemTime(utc); }

LONG NTP_PACKET::GetOriginateMinusTransmit() const {
  // Seconds modulo 2^32 read as signed: correct across an era boundary.
  LONG s = static_cast<LONG>(tsOriginate.GetSeconds() - tsTransmit.GetSeconds());
  LONGLONG f = static_cast<LONGLONG>(tsOriginate.GetFraction()) -
               static_cast<LONGLONG>(tsTransmit.GetFraction());
  double x = f / kNtpFractionScale * 1000.0;
  LONGLONG ms = static_cast<LONGLONG>(x > 0 ? x + 0.5 : x - 0.5);
  return Saturate(static_cast<LONGLONG>(s) * 1000 + ms);
}

DWORD NTP_PACKET::GetHeader() const { return ntohl(dwHeader); }

void NTP_PACKET::SetHeader(DWORD header) { dwHeader = htonl(header); }

int NTP_PACKET::GetMode() const { return static_cast<int>((GetHeader() >> 24) & 7); }

int NTP_PACKET::GetStratum() const { return static_cast<signed char>((GetHeader() >> 16) & 0xFF); }

int NTP_PACKET::GetPrecision() const { return static_cast<signed char>(GetHeader() & 0xFF); }

DWORD NtpShortToMs(DWORD networkValue) {
  DWORD v = ntohl(networkValue);
  DWORD h = v >> 16;
  DWORD l = v & 0xFFFF;
  return h * 1000 + (l * 1000) / 65535;  // l = 65535 is a full second
}

DWORD NTP_PACKET::GetRootDelayMs() const { return NtpShortToMs(dwRootDelay); }

DWORD NTP_PACKET::GetRootDispersionMs() const { return NtpShortToMs(dwRootDispersion); }

int NTP_PACKET::GetReferenceIdText(char* buffer, int size) const {
  if (!buffer || size <= 0) return -1;
  char text[kNtpRefIdTextSize];
  const BYTE* b = abReferenceId;
  int n = 0;
  if (GetStratum() > 1) {
    // The same text as inet_ntoa, without needing the socket library.
    n = wsprintfA(text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  } else {
    while (n < 4 && b[n]) {
      text[n] = static_cast<char>(b[n]);
      ++n;
    }
    text[n] = 0;
  }
  if (n >= size) n = size - 1;
  CopyMemory(buffer, text, n);
  buffer[n] = 0;
  return n;
}

LONG SntpHalfElapsed(LONGLONG elapsedMs) { return Saturate(elapsedMs / 2); }

LONG SntpOffset(const NTP_PACKET& reply, LONGLONG elapsedMs) {
  return Saturate(static_cast<LONGLONG>(SntpHalfElapsed(elapsedMs)) +
                  reply.GetOriginateMinusTransmit());
}
