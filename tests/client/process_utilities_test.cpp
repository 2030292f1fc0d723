// Version and rights tests, the module folder, shell starts, the Windows 9x
// service-process call and the elevation notice, against a fake system.
// Shell calls read "verb|file|parameters|directory|show|mask" (64: wait).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/sys/elevation_notice.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/service_process.h"
#include "client/sys/shell_start.h"
#include "support/fake_system_api.h"

namespace {
using Texts = std::vector<std::string>;

class CScriptedPrompt : public CUserPrompt {
 public:
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text + std::string("|") + std::to_string(type));
    return answer;
  }
  int answer = IDYES;
  Texts texts;
};
}  // namespace

TEST(FullRights, OnlyALimitedTokenOnVistaLacksThemAndTheAnswerIsKept) {
  for (DWORD type : {0u, 1u, 2u, 3u}) {  // 0: XP, where a token query would fail and show a box
    CFakeSystemApi fake;
    fake.SetVista(type);
    if (type == 0) fake.SetWindowsXP(), fake.bFailOpenToken = TRUE;
    EXPECT_EQ(type != 3, IsFullRightsProcess()) << type;
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_FALSE(IsFullRightsProcess());
  fake.SetVista(2);
  EXPECT_FALSE(IsFullRightsProcess());  // kept
  {
    CFakeSystemApi other;  // another system: computed anew
    other.bMissingTokenApi = TRUE;
    other.SetVista(3);
    EXPECT_TRUE(IsFullRightsProcess());
  }
  EXPECT_TRUE(IsFullRightsProcess());  // the first fake again, now elevated
}

TEST(FullRights, FailedCallsShowLastErrorAndGoOn) {
  struct Case {
    BOOL CFakeSystemApi::*flag;
    const char* caption;
    BOOL bFull;
  } cases[] = {
      {&CFakeSystemApi::bFailGetVersion, "GetVersionEx", TRUE},  // nothing read: before Vista
      {&CFakeSystemApi::bFailOpenToken, "OpenProcessToken", TRUE},  // no type read: not limited
      {&CFakeSystemApi::bFailTokenInfo, "GetTokenInformation", TRUE},
      {&CFakeSystemApi::bFailCloseHandle, "CloseHandle", FALSE},  // the type was read
  };
  for (const Case& c : cases) {
    CFakeSystemApi fake;
    fake.SetVista(3);
    fake.dwFailError = 1314;
    fake.*c.flag = TRUE;
    EXPECT_EQ(c.bFull, IsFullRightsProcess()) << c.caption;
    ASSERT_EQ(1u, fake.boxes.size()) << c.caption;
    EXPECT_EQ("LastError=1314|" + std::string(c.caption), fake.boxes[0].text + "|" + fake.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), fake.boxes[0].type);
    EXPECT_EQ(nullptr, fake.boxes[0].owner);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
}

TEST(ProcessUtilities, ModuleFolderShellStartsAndServiceProcess) {
  CFakeSystemApi fake;
  char folder[MAX_PATH];
  fake.sModulePath = "C:\\表\\ソフト.exe";  // 95 5C and 83 5C: no separators
  EXPECT_TRUE(GetModuleFolder(folder));
  EXPECT_STREQ("C:\\表\\", folder);
  fake.sModulePath = "C:表";
  EXPECT_FALSE(GetModuleFolder(folder));
  EXPECT_STREQ("", folder);
  fake.bFailModuleFileName = TRUE;
  EXPECT_FALSE(GetModuleFolder(folder) || GetModuleFolder(nullptr));
  fake.bFailModuleFileName = FALSE;
  fake.sModulePath = "C:\\suite\\Program.exe";

  fake.SetWindowsXP();
  EXPECT_TRUE(RunAndWait("tool.exe", "/x \"a b\"", 30000));
  fake.SetVista(2);  // elevated already: still "runas"
  EXPECT_TRUE(RunAndWait("tool.exe", nullptr, 0));  // back as soon as it started
  EXPECT_TRUE(OpenWithShell("http://127.0.0.1/BAAA"));
  EXPECT_TRUE(RestartElevated("/service x", SW_SHOWMINIMIZED, 100));
  fake.bFailShell = TRUE;  // e.g. elevation refused
  EXPECT_FALSE(RunAndWait("tool.exe", "", 30000) || OpenWithShell("missing.txt"));
  EXPECT_TRUE(RestartElevated("", SW_SHOW, 100));  // always 1
  Texts calls;
  for (const auto& call : fake.shellCalls) calls.push_back(call.Text());
  EXPECT_EQ((Texts{"open|tool.exe|/x \"a b\"||5|64", "runas|tool.exe|||5|0", "open|http://127.0.0.1/BAAA|||5|64",
                   "runas|C:\\suite\\Program.exe|/service x|C:\\work|2|64", "runas|tool.exe|||5|64",
                   "open|missing.txt|||5|64", "runas|C:\\suite\\Program.exe||C:\\work|5|64"}),
            calls);
  EXPECT_EQ((std::vector<DWORD>{30000, 100}), fake.waits);  // none for starts that failed

  fake.bHaveRegisterServiceProcess = TRUE;
  EXPECT_EQ(0u, RegisterAsServiceProcess(0, 1));  // NT family
  fake.SetWindows9x();
  EXPECT_EQ(1u, RegisterAsServiceProcess(0, 1));
  EXPECT_EQ(Texts{"0 1"}, fake.serviceProcessCalls);
  fake.bHaveRegisterServiceProcess = FALSE;
  EXPECT_EQ(0u, RegisterAsServiceProcess(0, 1));
}

TEST(ElevationNotice, AsksOnlyWithoutFullRights) {
  const char* kPrefix = "サービスとしての登録・解除処理には";
  const char* kProgram = "ミルタ-サービス登録.exe";
  const char* kNote = "(※キャンセルをするとサービス登録はできません。)";
  std::string text = std::string(kPrefix) + "管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n「" +
                     kProgram + "」の実行に[許可]を与えてください。";
  CScriptedPrompt prompt;
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_TRUE(ConfirmElevation(&prompt, kPrefix, kProgram, kNote));
  prompt.answer = IDNO;
  EXPECT_FALSE(ConfirmElevation(&prompt, kPrefix, kProgram, nullptr));
  EXPECT_FALSE(ConfirmElevation(nullptr, kPrefix, kProgram, nullptr));
  EXPECT_EQ((Texts{text + "\n" + kNote + "|4", text + "|4"}), prompt.texts);  // MB_YESNO
  CFakeSystemApi elevated;
  elevated.SetVista(2);
  EXPECT_TRUE(ConfirmElevation(&prompt, kPrefix, kProgram, kNote));
  EXPECT_EQ(2u, prompt.texts.size());  // not asked
}
