// The run log: kinds, counters that survive clearing and
// trimming, at most 201 entries, and the appended, shared log file.
#include "client/action_log.h"
#include "client/client_correction_host.h"
#include "support/suite.h"
#include "temp_folder.h"

namespace {
// The list control's part, held in memory.
class CMemoryLogList : public CLogListView {
 public:
  std::vector<std::unique_ptr<NTP_ACTIONLOG_INFO>> items;
  int nSelected = -1;
  int GetCount() override { return static_cast<int>(items.size()); }
  void DeleteItem(int index) override { items.erase(items.begin() + index); }
  int AddItem(NTP_ACTIONLOG_INFO* entry) override {
    items.emplace_back(entry);
    return GetCount() - 1;
  }
  void SetSelection(int index) override { nSelected = index; }
};
}  // namespace

TEST(ActionLog, KindsCountersAndTheEntryLimit) {
  CTempFolder folder;
  CMemoryLogList list;
  CActionLog log(&list, folder.Path().c_str());
  for (int i = 0; i < 250; ++i) {
    CCharString line;
    line.Format("run %d", i);
    EXPECT_EQ(list.GetCount() - 1, log.AddLog(line, i % 3));  // the newest is last
  }
  // The 201 most recent, while the counters count every run, also after a clear.
  ASSERT_EQ(201, list.GetCount());
  EXPECT_STREQ("run 49", list.items.front()->sText);
  EXPECT_EQ(84, log.nNGCount);  // kind 0 every third run from the first
  EXPECT_EQ(1, list.items[2]->nImage);  // run 51 failed
  EXPECT_EQ(0, list.items[0]->nImage);
  list.items.clear();
  log.AddLog("after clear", 1);
  EXPECT_EQ(251, log.nOKCount + log.nNGCount);
  EXPECT_EQ("<missing>", folder.Get("ntpaccess.log"));  // bSaveLog was off
}

// The file is appended to, shared with other processes, and written only
// while bSaveLog is on, as the correction host passes it on; a data folder
// that cannot hold the file still keeps the entries.
TEST(ActionLog, TheLogFileThroughTheCorrectionHost) {
  CTempFolder folder;
  folder.Put("ntpaccess.log", "earlier\r\n");
  CMemoryLogList list;
  {
    CActionLog log(&list, folder.Path().c_str());
    CClientSettings settings;
    CClientCorrectionHost host(&log, &settings);
    host.ReportCorrection("not saved", kCorrectionConfirmed);
    settings.bSaveLog = TRUE;  // switched on while running: only lines from now on
    host.ReportCorrection(" 2024/05/01 09:00:00.000 ： 確認", kCorrectionConfirmed);
    HANDLE other = CreateFileA((folder.Path() + "ntpaccess.log").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, other);
    CloseHandle(other);
    settings.bSaveLog = FALSE;
    host.ReportCorrection("off again", kCorrectionFailed);
    settings.bSaveLog = TRUE;
    host.ReportCorrection("failed", kCorrectionFailed);
    EXPECT_EQ(3, list.nSelected);  // the newest line is the selected one

    CCharString proxy = "unchanged";
    settings.sHttpProxy = "proxy:8080";
    EXPECT_FALSE(host.GetHttpProxy(&proxy));  // offered only when switched on
    EXPECT_STREQ("unchanged", proxy);
    settings.bUseHttpProxy = TRUE;
    EXPECT_TRUE(host.GetHttpProxy(&proxy));
    EXPECT_STREQ("proxy:8080", proxy);
  }
  EXPECT_EQ("earlier\r\n 2024/05/01 09:00:00.000 ： 確認\r\nfailed\r\n", folder.Get("ntpaccess.log"));

  CActionLog missing(&list, (folder.Path() + "missing\\").c_str());
  missing.bSaveLog = TRUE;
  EXPECT_EQ(4, missing.AddLog("one", 1));
  CreateDirectoryA((folder.Path() + "missing").c_str(), nullptr);  // not retried
  missing.AddLog("two", 1);
  EXPECT_EQ("<missing>", folder.Get("missing\\ntpaccess.log"));
  EXPECT_EQ(2, missing.nOKCount);
}
