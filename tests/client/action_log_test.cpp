// The run log: kinds and colours, counters that survive clearing and
// trimming, at most 201 entries, and the appended, shared log file.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/action_log.h"
#include "client/client_correction_host.h"
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

std::string FileBytes(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[4096];
  DWORD n = 0;
  ::ReadFile(h, buffer, sizeof(buffer), &n, nullptr);
  CloseHandle(h);
  return std::string(buffer, n);
}
}  // namespace

TEST(ActionLog, KindsColoursAndTheEntryLimit) {
  CTempFolder folder;
  CMemoryLogList list;
  CActionLog log(&list, folder.Path().c_str());
  for (int i = 0; i < 250; ++i) {
    CCharString line;
    line.Format("run %d", i);
    int index = log.AddLog(line, i % 3);
    EXPECT_EQ(list.GetCount() - 1, index);  // the newest is last
  }
  // The 201 most recent, while the counters count every run.
  ASSERT_EQ(201, list.GetCount());
  EXPECT_STREQ("run 49", list.items.front()->sText);
  EXPECT_STREQ("run 249", list.items.back()->sText);
  EXPECT_EQ(250, log.nOKCount + log.nNGCount);
  EXPECT_EQ(84, log.nNGCount);  // kind 0 every third run from the first

  NTP_ACTIONLOG_INFO& failed = *list.items[2];  // run 51: kind 0
  ASSERT_EQ(0, failed.nKind);
  EXPECT_EQ(1, failed.nImage);
  EXPECT_STREQ("run 51", failed.GetText());
  EXPECT_EQ(RGB(255, 0, 0), failed.crText);
  EXPECT_EQ(RGB(255, 224, 224), failed.crBack);
  NTP_ACTIONLOG_INFO& corrected = *list.items[0];  // run 49: kind 1
  corrected.nKind = 2;
  corrected.GetText();
  EXPECT_EQ(RGB(0, 0, 255), corrected.crText);
  EXPECT_EQ(RGB(224, 224, 255), corrected.crBack);
  corrected.nKind = 1;
  corrected.GetText();
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), corrected.crText);
  EXPECT_EQ(0, corrected.nImage);

  list.items.clear();  // the clear command: counters stay
  log.AddLog("after clear", 1);
  EXPECT_EQ(251, log.nOKCount + log.nNGCount);
  EXPECT_EQ("<missing>", FileBytes(folder.Path() + "ntpaccess.log"));  // bSaveLog was off
}

TEST(ActionLog, TheLogFileIsAppendedToAndShared) {
  CTempFolder folder;
  std::string path = folder.Path() + "ntpaccess.log";
  folder.Put("ntpaccess.log", "earlier\r\n");
  CMemoryLogList list;
  {
    CActionLog log(&list, folder.Path().c_str());
    log.AddLog("not saved", 1);
    log.bSaveLog = TRUE;  // switched on while running: only lines from now on
    log.AddLog(" 2024/05/01 09:00:00.000 ： 確認", 1);
    // Other processes may read and write while the file is open.
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, other);
    CloseHandle(other);
    log.bSaveLog = FALSE;
    log.AddLog("off again", 0);
    log.bSaveLog = TRUE;
    log.AddLog("failed", 0);
  }
  EXPECT_EQ("earlier\r\n 2024/05/01 09:00:00.000 ： 確認\r\nfailed\r\n", FileBytes(path));
  EXPECT_EQ(4, list.GetCount());
}

TEST(ActionLog, AnUnwritableLogFileStillKeepsTheEntries) {
  CTempFolder folder;
  CMemoryLogList list;
  // The data folder is missing: the file cannot be opened, and is not retried.
  CActionLog log(&list, (folder.Path() + "missing\\").c_str());
  log.bSaveLog = TRUE;
  EXPECT_EQ(0, log.AddLog("one", 1));
  CreateDirectoryA((folder.Path() + "missing").c_str(), nullptr);
  EXPECT_EQ(1, log.AddLog("two", 1));
  EXPECT_EQ("<missing>", FileBytes(folder.Path() + "missing\\ntpaccess.log"));
  EXPECT_EQ(2, log.nOKCount);
}

// A correction run's line reaches the log with the bSaveLog of that moment
// and becomes the selected entry; the proxy is offered only when switched on.
TEST(ActionLog, CorrectionHostOfTheClient) {
  CTempFolder folder;
  CMemoryLogList list;
  CActionLog log(&list, folder.Path().c_str());
  CClientSettings settings;
  CClientCorrectionHost host(&log, &settings);

  host.ReportCorrection("first", kCorrectionConfirmed);
  settings.bSaveLog = TRUE;
  host.ReportCorrection("second", kCorrectionFailed);
  EXPECT_EQ(1, list.nSelected);
  EXPECT_EQ("second\r\n", FileBytes(folder.Path() + "ntpaccess.log"));

  CCharString proxy = "unchanged";
  settings.sHttpProxy = "proxy:8080";
  EXPECT_FALSE(host.GetHttpProxy(&proxy));
  EXPECT_STREQ("unchanged", proxy);
  settings.bUseHttpProxy = TRUE;
  EXPECT_TRUE(host.GetHttpProxy(&proxy));
  EXPECT_STREQ("proxy:8080", proxy);
}
