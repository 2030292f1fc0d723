#pragma once
// Keeps every line a correction run leaves, with its kind; offers sProxy unless it is empty.
#include <string>
#include <vector>

#include "core/correction_host.h"

class CRecordingHost : public CCorrectionHost {
 public:
  struct Entry {
    std::string line;
    int kind;
  };
  std::vector<Entry> entries;
  std::string sProxy;

  void ReportCorrection(const CCharString& line, int kind) override { entries.push_back({static_cast<const char*>(line), kind}); }
  BOOL GetHttpProxy(CCharString* proxy) override { return !sProxy.empty() && (*proxy = sProxy.c_str(), TRUE); }
  const Entry& Last() const { return entries.back(); }
};
