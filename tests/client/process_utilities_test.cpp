// Version and rights tests, the module folder, shell starts, the Windows 9x
// service-process call and the elevation notice, against a fake system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/sys/elevation_notice.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/os_version.h"
#include "client/sys/service_process.h"
#include "client/sys/shell_start.h"
#include "support/fake_system_api.h"

namespace {
const ULONG kWaitMask = SEE_MASK_NOCLOSEPROCESS;

class CScriptedPrompt : public CUserPrompt {
 public:
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text);
    types.push_back(type);
    return answer;
  }
  int answer = IDYES;
  std::vector<std::string> texts;
  std::vector<UINT> types;
};
}  // namespace

TEST(OsVersion, FamiliesAndVersions) {
  CFakeSystemApi fake;
  fake.SetWindows9x();
  EXPECT_FALSE(IsNTFamily());
  EXPECT_FALSE(IsVistaOrLater());
  fake.SetWindowsXP();
  EXPECT_TRUE(IsNTFamily());
  EXPECT_FALSE(IsVistaOrLater());
  fake.SetVista(2);
  EXPECT_TRUE(IsNTFamily());
  EXPECT_TRUE(IsVistaOrLater());
  fake.bFailGetVersion = TRUE;
  EXPECT_FALSE(IsNTFamily());
  EXPECT_FALSE(IsVistaOrLater());
}

TEST(FullRights, OnlyALimitedTokenOnVistaLacksThem) {
  {
    CFakeSystemApi fake;
    fake.SetWindowsXP();
    fake.bFailOpenToken = TRUE;  // would show a box if the token were queried
    EXPECT_TRUE(IsFullRightsProcess());
    EXPECT_TRUE(fake.boxes.empty());
  }
  for (DWORD type : {1u, 2u, 3u}) {
    CFakeSystemApi fake;
    fake.SetVista(type);
    EXPECT_EQ(type != 3, IsFullRightsProcess() != FALSE) << type;
    EXPECT_EQ(0, fake.nLoadedLibraries);
    EXPECT_TRUE(fake.boxes.empty());
  }
  {
    CFakeSystemApi fake;
    fake.SetVista(3);
    fake.bMissingTokenApi = TRUE;
    EXPECT_TRUE(IsFullRightsProcess());
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
}

TEST(FullRights, AnswerIsKeptUntilAnotherSystemIsInstalled) {
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_FALSE(IsFullRightsProcess());
  fake.SetVista(2);
  EXPECT_FALSE(IsFullRightsProcess());  // kept
  {
    CFakeSystemApi other;
    other.SetVista(2);
    EXPECT_TRUE(IsFullRightsProcess());
  }
  EXPECT_TRUE(IsFullRightsProcess());  // the first fake again: recomputed
}

TEST(FullRights, FailedCallsShowLastErrorAndGoOn) {
  struct Case {
    BOOL CFakeSystemApi::*flag;
    const char* caption;
    BOOL bFull;
  } cases[] = {
      // Nothing read: taken as before Vista.
      {&CFakeSystemApi::bFailGetVersion, "GetVersionEx", TRUE},
      // No elevation type read: not limited.
      {&CFakeSystemApi::bFailOpenToken, "OpenProcessToken", TRUE},
      {&CFakeSystemApi::bFailTokenInfo, "GetTokenInformation", TRUE},
      // The type was read before the close failed.
      {&CFakeSystemApi::bFailCloseHandle, "CloseHandle", FALSE},
  };
  for (const Case& c : cases) {
    CFakeSystemApi fake;
    fake.SetVista(3);
    fake.dwFailError = 1314;
    fake.*c.flag = TRUE;
    EXPECT_EQ(c.bFull, IsFullRightsProcess()) << c.caption;
    ASSERT_EQ(1u, fake.boxes.size()) << c.caption;
    EXPECT_EQ("LastError=1314", fake.boxes[0].text);
    EXPECT_EQ(c.caption, fake.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), fake.boxes[0].type);
    EXPECT_EQ(nullptr, fake.boxes[0].owner);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
}

TEST(ModuleFolder, KeepsTheBackslashAndSkipsTrailBytes) {
  CFakeSystemApi fake;
  char folder[MAX_PATH];
  EXPECT_TRUE(GetModuleFolder(folder));
  EXPECT_STREQ("C:\\suite\\", folder);
  fake.sModulePath = "C:\\表\\ソフト.exe";  // 95 5C and 83 5C: no separators
  EXPECT_TRUE(GetModuleFolder(folder));
  EXPECT_STREQ("C:\\表\\", folder);
  fake.sModulePath = "C:表";
  EXPECT_FALSE(GetModuleFolder(folder));
  EXPECT_STREQ("", folder);
  fake.bFailModuleFileName = TRUE;
  EXPECT_FALSE(GetModuleFolder(folder));
  EXPECT_FALSE(GetModuleFolder(nullptr));
}

TEST(ShellStart, RunAndWaitVerbsWaitsAndFailures) {
  CFakeSystemApi fake;
  fake.SetWindowsXP();
  EXPECT_TRUE(RunAndWait("tool.exe", "/x \"a b\"", 30000));
  fake.SetVista(2);  // elevated already, still "runas"
  EXPECT_TRUE(RunAndWait("cmd.exe", "/c net stop w32time", INFINITE));
  EXPECT_TRUE(RunAndWait("tool.exe", nullptr, 0));
  ASSERT_EQ(3u, fake.shellCalls.size());
  EXPECT_EQ("open", fake.shellCalls[0].verb);
  EXPECT_EQ("tool.exe", fake.shellCalls[0].file);
  EXPECT_EQ("/x \"a b\"", fake.shellCalls[0].parameters);
  EXPECT_EQ("", fake.shellCalls[0].directory);
  EXPECT_EQ(SW_SHOW, fake.shellCalls[0].show);
  EXPECT_EQ(kWaitMask, fake.shellCalls[0].mask);
  EXPECT_EQ("runas", fake.shellCalls[1].verb);
  EXPECT_EQ("runas", fake.shellCalls[2].verb);
  EXPECT_EQ(0u, fake.shellCalls[2].mask);  // wait 0: back as soon as it started
  EXPECT_EQ((std::vector<DWORD>{30000, INFINITE}), fake.waits);

  fake.bFailShell = TRUE;  // e.g. elevation refused
  EXPECT_FALSE(RunAndWait("tool.exe", "", 30000));
  EXPECT_EQ(2u, fake.waits.size());
}

TEST(ShellStart, OpenAndRestartElevated) {
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_TRUE(OpenWithShell("http://127.0.0.1/BAAA"));
  EXPECT_TRUE(RestartElevated("/service x", SW_SHOWMINIMIZED, 100));
  fake.bFailShell = TRUE;
  EXPECT_FALSE(OpenWithShell("missing.txt"));
  EXPECT_TRUE(RestartElevated("", SW_SHOW, 0));  // always 1
  ASSERT_EQ(4u, fake.shellCalls.size());
  EXPECT_EQ("open", fake.shellCalls[0].verb);
  EXPECT_EQ("http://127.0.0.1/BAAA", fake.shellCalls[0].file);
  EXPECT_EQ(SW_SHOW, fake.shellCalls[0].show);
  EXPECT_EQ(kWaitMask, fake.shellCalls[0].mask);
  const CFakeSystemApi::ShellCall& restart = fake.shellCalls[1];
  EXPECT_EQ("runas", restart.verb);
  EXPECT_EQ("C:\\suite\\Program.exe", restart.file);
  EXPECT_EQ("/service x", restart.parameters);
  EXPECT_EQ("C:\\work", restart.directory);
  EXPECT_EQ(SW_SHOWMINIMIZED, restart.show);
  EXPECT_EQ(kWaitMask, restart.mask);
  EXPECT_EQ(0u, fake.shellCalls[3].mask);
  EXPECT_EQ(std::vector<DWORD>{100}, fake.waits);  // the open does not wait
}

TEST(ServiceProcess, OnlyWindows9xWithTheExport) {
  CFakeSystemApi fake;
  fake.bHaveRegisterServiceProcess = TRUE;
  EXPECT_EQ(0u, RegisterAsServiceProcess(0, 1));  // NT family
  fake.SetWindows9x();
  EXPECT_EQ(1u, RegisterAsServiceProcess(0, 1));
  EXPECT_EQ(std::vector<std::string>{"0 1"}, fake.serviceProcessCalls);
  fake.bHaveRegisterServiceProcess = FALSE;
  EXPECT_EQ(0u, RegisterAsServiceProcess(0, 1));
}

TEST(ElevationNotice, AsksOnlyWithoutFullRights) {
  const char* kPrefix = "サービスとしての登録・解除処理には";
  const char* kProgram = "ミルタ-サービス登録.exe";
  const char* kNote = "(※キャンセルをするとサービス登録はできません。)";
  std::string expected = std::string(kPrefix) +
                         "管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n「" +
                         kProgram + "」の実行に[許可]を与えてください。";
  EXPECT_EQ(expected, std::string(ElevationNoticeText(kPrefix, kProgram, nullptr)));
  EXPECT_EQ(expected + "\n" + kNote, std::string(ElevationNoticeText(kPrefix, kProgram, kNote)));

  CScriptedPrompt prompt;
  {
    CFakeSystemApi fake;
    fake.SetVista(2);
    EXPECT_TRUE(ConfirmElevation(&prompt, kPrefix, kProgram, kNote));
    EXPECT_TRUE(prompt.texts.empty());
  }
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_TRUE(ConfirmElevation(&prompt, kPrefix, kProgram, kNote));
  prompt.answer = IDNO;
  EXPECT_FALSE(ConfirmElevation(&prompt, kPrefix, kProgram, nullptr));
  ASSERT_EQ(2u, prompt.texts.size());
  EXPECT_EQ(expected + "\n" + kNote, prompt.texts[0]);
  EXPECT_EQ(expected, prompt.texts[1]);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO), prompt.types[0]);
  EXPECT_FALSE(ConfirmElevation(nullptr, kPrefix, kProgram, nullptr));
}
