#pragma once
// Keeps every line a correction run leaves, with its kind.
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
  std::string sProxy;  // empty = no proxy

  void ReportCorrection(const CCharString& line, int kind) override {
    entries.push_back({static_cast<const char*>(line), kind});
  }
  BOOL GetHttpProxy(CCharString* proxy) override {
    if (sProxy.empty()) return FALSE;
    *proxy = sProxy.c_str();
    return TRUE;
  }
  const Entry& Last() const { return entries.back(); }
};
