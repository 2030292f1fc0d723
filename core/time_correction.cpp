#include "core/time_correction.h"

#include "core/clock.h"
#include "core/resolve_host.h"
#include "core/sntp.h"
#include "core/system_time.h"

namespace {
const int kNtpPort = 123;
const char kWordQuery[] = "応答";
const char* const kKindWords[] = {"失敗", "確認", "補正"};
const char kUnresolved[] = "通信エラー(サーバIPアドレス無効)";
const char kSendFailed[] = "通信エラー(送信失敗)";
const char kWaitFailed[] = "通信エラー(返答待ち[%d ms])";
const char kTimedOut[] = "返答待機タイムアウト[%d ms]";
const char kReceiveFailed[] = "通信エラー(受信失敗)";
const char kBadReply[] = "通信エラー(返答モード不正)";

const char* TextOrEmpty(const char* s) { return s ? s : ""; }

enum ReplyVerdict { kReplyIgnored, kReplyUsable, kReplyReceiveFailed, kReplyBad };

// Reads one datagram and judges it against the request. Anything not from
// the queried server's port 123, and server replies that do not echo our
// Transmit Timestamp (a late answer to an earlier query, or a forgery), are
// ignored so that the wait goes on; only a usable reply is copied into reply.
ReplyVerdict ReceiveReply(CSNTP& sntp, DWORD server, const NTP_TIMESTAMP& sent,
                          NTP_PACKET* reply) {
  // Room beyond 48 bytes so that an oversized datagram still tells its sender.
  BYTE buffer[1500];
  int fromPort = 0;
  DWORD fromAddress = 0;
  int n = sntp.pSocket->RecvFrom(buffer, sizeof(buffer), 0, &fromPort, &fromAddress);
  if (n >= 0 && (fromAddress != server || fromPort != kNtpPort)) return kReplyIgnored;
  if (n != kNtpPacketSize) return kReplyReceiveFailed;
  NTP_PACKET received;
  CopyMemory(&received, buffer, kNtpPacketSize);
  received.nLength = kNtpPacketSize;
  if (received.GetMode() != kNtpModeServer) return kReplyBad;
  if (received.tsOriginate.dwSeconds != sent.dwSeconds ||
      received.tsOriginate.dwFraction != sent.dwFraction)
    return kReplyIgnored;
  if (!HasUsableTime(received)) return kReplyBad;
  *reply = received;
  return kReplyUsable;
}
}  // namespace

BOOL HasUsableTime(const NTP_PACKET& packet) {
  DWORD header = packet.GetHeader();
  BOOL unsynchronised = (header >> 30) == 3;  // leap indicator "alarm"
  BOOL kissOfDeath = ((header >> 16) & 0xFF) == 0;
  BOOL noTime = packet.tsTransmit.dwSeconds == 0 && packet.tsTransmit.dwFraction == 0;
  return !unsynchronised && !kissOfDeath && !noTime;
}

DWORD TicksSince(DWORD start, DWORD now) {
  return now >= start ? now - start : now + (0xFFFFFFFF - start);
}

CCharString FormatOffsetText(LONG offsetMs, DWORD responseMs) {
  CCharString text;
  int e1 = static_cast<int>(responseMs / 1000), e2 = static_cast<int>(responseMs % 1000);
  if (offsetMs == 0) {
    text.Format("誤差無し(応答速度:%d.%03d秒)", e1, e2);
  } else {
    // Never LONG_MIN: the offsets saturate at +/-LONG_MAX.
    LONG size = offsetMs > 0 ? offsetMs : -offsetMs;
    text.Format(offsetMs > 0 ? "誤差 %d.%03d秒の進み(応答速度:%d.%03d秒)"
                             : "誤差 %d.%03d秒の遅れ(応答速度:%d.%03d秒)",
                static_cast<int>(size / 1000), static_cast<int>(size % 1000), e1, e2);
  }
  return text;
}

CTimeCorrection::CTimeCorrection(CCorrectionHost* host) : nSlewMSec(0), pHost(host) {}

CTimeCorrection::~CTimeCorrection() {}

BOOL CTimeCorrection::CheckTimeNtp(const char* server, int limitMs, int allowanceMs, BOOL bSet) {
  CSNTP sntp;
  NTP_PACKET packet;
  packet.InitRequest();
  CCharString text;
  LONGLONG elapsed = 0;
  BOOL ok = FALSE;

  DWORD address = ResolveHost(TextOrEmpty(server), FALSE);
  if (address == INADDR_NONE) {
    text = kUnresolved;
  } else {
    packet.SetTransmitTime();
    const NTP_TIMESTAMP sent = packet.tsTransmit;
    if (!sntp.Send(packet, address, kNtpPort)) {
      text = kSendFailed;
    } else {
      CClock* clock = GetClock();
      DWORD t0 = clock->GetTickCount();
      for (;;) {
        int w = sntp.Wait(1000);
        elapsed = TicksSince(t0, clock->GetTickCount());
        if (w == -1) {
          text.Format(kWaitFailed, static_cast<int>(elapsed));
          break;
        }
        // The limit is judged before a ready reply, so a reply that is ready
        // only after the limit is not taken.
        if (elapsed >= limitMs) {
          text.Format(kTimedOut, static_cast<int>(elapsed));
          break;
        }
        if (w == 0) continue;
        elapsed = TicksSince(t0, clock->GetTickCount());
        ReplyVerdict verdict = ReceiveReply(sntp, address, sent, &packet);
        if (verdict == kReplyIgnored) continue;
        if (verdict == kReplyReceiveFailed) text = kReceiveFailed;
        else if (verdict == kReplyBad) text = kBadReply;
        else ok = TRUE;
        break;
      }
    }
  }
  FinishCheck(ok, kWordQuery, text, packet, server, elapsed, allowanceMs, bSet);
  return ok;
}

BOOL CTimeCorrection::FinishCheck(BOOL bReceived, const char* word, const char* text,
                                  const NTP_PACKET& packet, const char* server,
                                  LONGLONG elapsedMs, int allowanceMs, BOOL bSet) {
  nSlewMSec = 0;
  CCharString result(TextOrEmpty(text));
  BOOL ahead = FALSE;
  LONG offset = 0;
  CSystemTime t;
  if (bReceived) {
    LONG half = SntpHalfElapsed(elapsedMs);
    offset = SntpOffset(packet, elapsedMs);
    result = FormatOffsetText(offset, static_cast<DWORD>(elapsedMs));
    ahead = offset > 0;
    if (offset < 0) offset = -offset;

    char refId[kNtpRefIdTextSize];
    packet.GetReferenceIdText(refId, sizeof(refId));
    DWORD delay = packet.GetRootDelayMs(), dispersion = packet.GetRootDispersionMs();
    CCharString details;
    details.Format(" [階層:%d/参照:%s/精度:%d/遅延:%d.%03d/拡散:%d.%03d]", packet.GetStratum(),
                   refId, packet.GetPrecision(), static_cast<int>(delay / 1000),
                   static_cast<int>(delay % 1000), static_cast<int>(dispersion / 1000),
                   static_cast<int>(dispersion % 1000));
    result += details;

    SYSTEMTIME utc;
    packet.GetTransmitTime(&utc);
    t = CSystemTime(utc).ToLocal();
    t.AddMilliseconds(half);
  } else {
    t = CSystemTime::GetNow();
  }
  int kind = ApplyCorrection(bReceived, ahead, offset, allowanceMs, bSet, t);
  CCharString tail;
  tail.Format("　( %s の%s ) %s", TextOrEmpty(server), TextOrEmpty(word),
              static_cast<const char*>(result));
  Report(t, kind, tail);
  return TRUE;
}

BOOL CTimeCorrection::FinishUnasked(const char* word, const NTP_PACKET& packet, const char* server,
                                    int allowanceMs) {
  if (HasUsableTime(packet)) return FinishCheck(TRUE, word, "", packet, server, 0, allowanceMs, TRUE);
  // Not a run of its own: a hold-back still under way goes on.
  CCharString tail;
  tail.Format("　( %s の%s ) %s", TextOrEmpty(server), TextOrEmpty(word), kBadReply);
  Report(CSystemTime::GetNow(), kCorrectionFailed, tail);
  return FALSE;
}

int CTimeCorrection::ApplyCorrection(BOOL bGot, BOOL bAhead, LONG offsetMs, int allowanceMs,
                                     BOOL bSet, const SYSTEMTIME& serverNow) {
  if (!bGot) return kCorrectionFailed;
  if (!bSet || offsetMs < allowanceMs) return kCorrectionConfirmed;
  nSlewMSec = offsetMs;
  // A clock that is behind, or far ahead, is stepped; one slightly ahead is
  // held back by the timer so that time never runs backwards by much.
  if (!bAhead || offsetMs > kLargestSlewMs) {
    GetClock()->SetLocalTime(&serverNow);  // refused for an invalid time
    nSlewMSec = 0;
  }
  return kCorrectionCorrected;
}

void CTimeCorrection::Report(const SYSTEMTIME& at, int kind, const CCharString& tail) {
  CCharString line;
  line.Format(" %04d/%02d/%02d %02d:%02d:%02d.%03d ： ", at.wYear, at.wMonth, at.wDay, at.wHour,
              at.wMinute, at.wSecond, at.wMilliseconds);
  line += kKindWords[kind];
  line += tail;
  if (pHost) pHost->ReportCorrection(line, kind);
}
