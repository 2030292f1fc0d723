#pragma once
// One correction run of the client against one server: ask, judge the answer
// against the allowance, step the clock or leave an amount to be held back,
// and leave exactly one line in the action log. The client's main window
// carries this; it runs on that window's thread and blocks it while waiting.
#include "base/char_string.h"
#include "core/correction_host.h"
#include "core/ntp_packet.h"

// A local clock that is ahead by less than this is held back gradually
// instead of being stepped back.
constexpr LONG kLargestSlewMs = 119999;

class CTimeCorrection {
 public:
  explicit CTimeCorrection(CCorrectionHost* host);
  virtual ~CTimeCorrection();

  // One SNTP query to port 123 of the named server. TRUE when a usable
  // reply came (whether or not the clock was changed).
  BOOL CheckTimeNtp(const char* server, int limitMs, int allowanceMs, BOOL bSet);

  // Two GET requests to the URL, the offset from their Date headers, judged
  // like an NTP answer. TRUE when at least one response had a usable Date.
  BOOL CheckTimeHttp(const char* url, int limitMs, int allowanceMs, BOOL bSet);

  // The judging step shared by queries and received broadcasts: offset,
  // step or hold-back, the result line. Always TRUE.
  BOOL FinishCheck(BOOL bReceived, const char* word, const char* text, const NTP_PACKET& packet,
                   const char* server, LONGLONG elapsedMs, int allowanceMs, BOOL bSet);

  // The judging step for a message that came unasked (a broadcast, whose
  // Originate holds its arrival time): FinishCheck with the set flag when it
  // carries a usable time (TRUE); otherwise a failed line with the text of a
  // bad reply, and neither the clock nor nSlewMSec is touched (FALSE).
  BOOL FinishUnasked(const char* word, const NTP_PACKET& packet, const char* server, int allowanceMs);

  // Milliseconds by which the clock still has to be held back.
  LONG nSlewMSec;

 protected:
  CCorrectionHost* pHost;

  // Step, hold back or leave the clock; returns the run's kind.
  int ApplyCorrection(BOOL bGot, BOOL bAhead, LONG offsetMs, int allowanceMs, BOOL bSet,
                      const SYSTEMTIME& serverNow);
  void Report(const SYSTEMTIME& at, int kind, const CCharString& tail);
};

// Whether a server's message carries a time to go by: not unsynchronised
// (leap indicator 3), not a kiss-o'-death (stratum 0), and a Transmit
// Timestamp at all.
BOOL HasUsableTime(const NTP_PACKET& packet);

// The result text of an answered run: "誤差無し(...)" or the size of the
// difference with "の進み" / "の遅れ", and the response time E in ms.
CCharString FormatOffsetText(LONG offsetMs, DWORD responseMs);
// Tick difference since start, with the wrap rule of the correction runs.
DWORD TicksSince(DWORD start, DWORD now);
