#pragma once
// What a correction run needs from the program around it: somewhere to leave
// its one result line, and the HTTP proxy setting.
#include "base/char_string.h"

// Result kinds of a correction run.
constexpr int kCorrectionFailed = 0;
constexpr int kCorrectionConfirmed = 1;
constexpr int kCorrectionCorrected = 2;

class CCorrectionHost {
 public:
  virtual ~CCorrectionHost() {}
  // The finished line and its kind for the action log. The host copies the
  // current bSaveLog setting into the log first and selects the new entry.
  virtual void ReportCorrection(const CCharString& line, int kind) = 0;
  // TRUE with the proxy text (host or host:port) when HTTP requests go
  // through a proxy.
  virtual BOOL GetHttpProxy(CCharString* proxy) = 0;
};
