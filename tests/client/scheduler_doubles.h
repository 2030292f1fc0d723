#pragma once
// What the scheduler and the correction runs are given in the tests: a run
// log without list control and a main window that records.
#include <memory>
#include <string>
#include <vector>

#include "client/correction_scheduler.h"

class CRecordingView : public CLogListView {
 public:
  int GetCount() override { return static_cast<int>(aItems.size()); }
  void DeleteItem(int nIndex) override { aItems.erase(aItems.begin() + nIndex); }
  int AddItem(NTP_ACTIONLOG_INFO* pEntry) override {
    aItems.emplace_back(pEntry);
    return GetCount() - 1;
  }
  void SetSelection(int) override {}
  // "kind@server" of each line since the last call, blank-separated.
  std::string Runs() {
    std::string sRuns;
    for (; nSeen < aItems.size(); ++nSeen) {
      std::string sLine = static_cast<const char*>(aItems[nSeen]->sText);
      size_t nFrom = sLine.find("( ") + 2;
      sRuns += (sRuns.empty() ? "" : " ") + std::to_string(aItems[nSeen]->nKind) + "@" +
               sLine.substr(nFrom, sLine.find(' ', nFrom) - nFrom);
    }
    return sRuns;
  }

  std::vector<std::unique_ptr<NTP_ACTIONLOG_INFO>> aItems;
  size_t nSeen = 0;
};

class CRecordingWindow : public CSchedulerWindow {
 public:
  UINT_PTR SetTimer(UINT_PTR nId, UINT nMs) override {
    nPeriodMs = nMs;
    return bTimerFails ? 0 : nId;
  }
  void KillTimer(UINT_PTR nId) override { aKilled.push_back(nId); }
  void PostCommand(UINT nId) override { aPosted.push_back(nId); }
  void SetStatusText(int nPart, const char* pszText) override { asText[nPart] = pszText; }
  void RunDiagnosis() override { ++nDiagnoses; }

  bool bTimerFails = false;
  UINT nPeriodMs = 0;
  std::vector<UINT_PTR> aKilled;
  std::vector<UINT> aPosted;
  std::string asText[3];
  int nDiagnoses = 0;
};
