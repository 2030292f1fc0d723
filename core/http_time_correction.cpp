// One HTTP correction run: the time from the Date header of two responses.
#include <climits>

#include "core/clock.h"
#include "core/http_date.h"
#include "core/http_time_socket.h"
#include "core/system_time.h"
#include "core/time_correction.h"

namespace {
const char kRequestFailed[] = "通信エラー(サーバアドレス無効)";
const char kTimedOut[] = "返答待機タイムアウト[%d ms]";
const char kUserAgent[] = "Mozilla/2.0 (compatible; MSIE 3.01; Windows 95)";
const int kSampleCount = 2;
}  // namespace

BOOL CTimeCorrection::CheckTimeHttp(const char* url, int limitMs, int allowanceMs, BOOL bSet) {
  nSlewMSec = 0;
  const char* pszUrl = url ? url : "";
  CClock* clock = GetClock();
  BOOL got = FALSE, ahead = FALSE;
  LONG offset = 0;
  LONG sampleOffset[kSampleCount] = {0, 0};
  int taken = 0;
  DWORD elapsed = 0;
  CCharString text;
  CSystemTime estimate;  // the server's time, as of estimateTick
  DWORD estimateTick = 0;

  CHTTPTimeSocket socket;
  CCharString proxy;
  if (pHost && pHost->GetHttpProxy(&proxy)) SetProxyText(&socket, proxy);
  socket.aRequestHeaders.SetHeader("Connection", "close");
  socket.aRequestHeaders.SetHeader("Pragma", "no-cache");
  socket.aRequestHeaders.SetHeader("Referer", pszUrl);
  socket.aRequestHeaders.SetHeader("User-Agent", kUserAgent);
  // Ten times the limit is what a response may take; it also bounds the
  // request itself, so a silent server cannot hold the window for longer.
  const LONGLONG bound = 10LL * limitMs;
  socket.SetTotalTimeout(bound > INT_MAX ? INT_MAX : static_cast<int>(bound));

  for (int i = 0; i < kSampleCount; ++i) {
    if (i > 0) {
      // The Date has whole seconds: placing the second request half a
      // second from the first (modulo one second) makes the two truncation
      // errors partly cancel.
      DWORD pause = (1500 - elapsed % 1000) % 1000;
      if (pause) clock->Sleep(pause);
    }
    // A request that never connected counts from its start.
    socket.dwConnectTick = clock->GetTickCount();
    BOOL ok = socket.Get(pszUrl);
    BOOL cut = socket.HasTimedOut();
    socket.Close();
    CSystemTime now = CSystemTime::GetNow();
    DWORD nowTick = clock->GetTickCount();
    elapsed = TicksSince(static_cast<DWORD>(socket.dwConnectTick), nowTick);
    if (!ok && !cut) {
      text = kRequestFailed;
      break;
    }
    if (cut || elapsed >= bound) {
      text.Format(kTimedOut, static_cast<int>(elapsed));
      break;
    }
    // A Date that does not read as a time counts as none.
    int index = socket.aResponseHeaders.FindHeader("Date", 0);
    SYSTEMTIME utc;
    if (index < 0 || !ParseHttpDate(socket.aResponseHeaders.GetHeaderValue(index, FALSE), &utc)) {
      text = kRequestFailed;
      break;
    }
    // The middle of the stated second, plus half the response time.
    CSystemTime t(utc);
    t.wMilliseconds = static_cast<WORD>(t.wMilliseconds + 500);
    t = t.ToLocal();
    LONG diff = CSystemTime::kInvalidDiff;
    if (t.AddMilliseconds(static_cast<LONG>(elapsed / 2))) diff = t.DiffMilliseconds(now);
    if (diff == CSystemTime::kInvalidDiff) {
      text = kRequestFailed;
      break;
    }
    got = TRUE;
    estimate = t;
    estimateTick = nowTick;
    sampleOffset[i] = diff;  // positive: the local clock is ahead
    ++taken;
  }

  CCharString result(text);
  if (taken == kSampleCount) {
    offset = static_cast<LONG>((static_cast<LONGLONG>(sampleOffset[0]) + sampleOffset[1]) / 2);
    result = FormatOffsetText(offset, elapsed);
    ahead = offset > 0;
    if (offset < 0) offset = -offset;
  }
  CSystemTime t;
  if (got) {
    // When the second sample failed the estimate is the first one's, taken
    // a pause and a request ago: carry it to the present before using it.
    t = estimate;
    t.AddMilliseconds(static_cast<LONG>(TicksSince(estimateTick, clock->GetTickCount())));
  } else {
    t = CSystemTime::GetNow();
  }
  int kind = ApplyCorrection(got, ahead, offset, allowanceMs, bSet, t);
  CCharString tail("　( ");
  tail += pszUrl;
  tail += " ) ";
  tail += result;
  Report(t, kind, tail);
  return got;
}
