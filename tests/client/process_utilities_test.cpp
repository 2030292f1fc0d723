// Version and rights tests, the module folder, shell starts, the Windows 9x
// service-process call, the elevation notice, special folders, folder paths
// and the choice of the client's data folder, against a fake system.
// Shell calls read "verb|file|parameters|directory|show|mask" (64: wait).
#include "client/app_folders.h"
#include "client/sys/elevation_notice.h"
#include "client/sys/folder_path.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/service_process.h"
#include "client/sys/shell_start.h"
#include "client/sys/special_folder.h"
#include "client/temp_folder.h"
#include "support/fake_system_api.h"
#include "support/suite.h"

namespace {
class CScriptedPrompt : public CUserPrompt {
 public:
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text + std::string("|") + std::to_string(type));
    return answer;
  }
  int answer = IDYES;
  Texts texts;
};

BOOL IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
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

TEST(SpecialFolder, LookUpsInOrder) {
  char path[MAX_PATH];
  {
    CFakeSystemApi fake;  // the first look-up answers; the second, with the create flag
    fake.bFakeShellFolders = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_STREQ("C:\\Shell\\26", path);
    fake.bFailSpecialFolderPath = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 35, FALSE));
    EXPECT_EQ((Texts{"shell32 SHGetSpecialFolderPathA 26 1", "shell32 SHGetSpecialFolderPathA 35 0",
                     "shell32 SHGetFolderPathA 35 1"}),
              fake.folderCalls);
  }
  CFakeSystemApi fake;  // shell32 without them: shfolder.dll
  fake.bFakeShellFolders = TRUE;
  fake.bShell32HasSpecialFolderPath = fake.bShell32HasFolderPath = FALSE;
  EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
  EXPECT_EQ(Texts{"shfolder SHGetFolderPathA 32794 1"}, fake.folderCalls);
  fake.bFailFolderPath = TRUE;
  EXPECT_EQ(0, GetSpecialFolder(nullptr, path, 26, TRUE));
  EXPECT_STREQ("", path);
  EXPECT_EQ((Texts{"shell32.dll", "shfolder.dll", "shell32.dll", "shfolder.dll"}), fake.loadedShellLibraries);
  EXPECT_EQ(0, fake.nLoadedLibraries);
}

TEST(FolderPath, LastSeparatorAndLevelByLevelCreation) {
  EXPECT_EQ("C:\\dir\\", std::string(GetFolderOfPath("C:\\dir\\name/x")));
  EXPECT_EQ("a/b/", std::string(GetFolderOfPath("a/b/c")));
  EXPECT_EQ("", std::string(GetFolderOfPath("name.exe")));
  EXPECT_EQ("C:\\", std::string(GetFolderOfPath("C:\\表")));  // 95 5C is one character
  EXPECT_EQ("C:\\ソ\\", std::string(GetFolderOfPath("C:\\ソ\\x.exe")));
  CTempFolder temp;
  const std::string& t = temp.Path();
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));  // already there
  EXPECT_EQ(1, CreateFolderPath((t + "e\\\\f\\").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "表\\ソ").c_str(), 0));  // trail bytes 5C: two levels
  EXPECT_TRUE(IsFolder(t + "a\\b\\c") && IsFolder(t + "e\\f") && IsFolder(t + "表\\ソ"));
  temp.Put("file", "x");  // a plain file in the way
  EXPECT_EQ(0, CreateFolderPath((t + "file\\sub").c_str(), 0));
  EXPECT_EQ(0, CreateFolderPath("", 0));
  // Separators only from the start offset on; beyond the end only the whole path.
  EXPECT_EQ(1, CreateFolderPath((t + "g\\h").c_str(), static_cast<int>(t.size())));
  EXPECT_EQ(0, CreateFolderPath((t + "j\\k").c_str(), 100000));
  EXPECT_EQ(1, CreateFolderPath((t + "l\\m").c_str(), -5));
}

TEST(AppFolders, TheDataFolderFollowsRightsAndServiceMode) {
  const char* cases[][2] = {{"3", "shell\\26\\RAVO\\Brassel\\"},   // limited: the user's
                            {"3s", "shell\\35\\RAVO\\Brassel\\"},  // limited, but a service
                            {"2", "shell\\35\\RAVO\\Brassel\\"}};  // full rights
  for (auto& c : cases) {
    CTempFolder temp;
    CFakeSystemApi fake;
    fake.SetVista(c[0][0] - '0');
    fake.sModulePath = temp.Path() + "Vantro.exe";
    fake.bFakeShellFolders = TRUE;
    fake.sSpecialFolder = temp.Path() + "shell";
    CAppFolders folders;
    EXPECT_TRUE(folders.ChooseDataFolder(c[0][1] == 's'));
    EXPECT_EQ(temp.Path() + c[1], std::string(folders.sDataFolder));
    EXPECT_TRUE(IsFolder(std::string(folders.sDataFolder)));
    EXPECT_EQ(temp.Path(), std::string(folders.sModuleFolder));
  }
  CFakeSystemApi fake;  // no special folders at all: the module folder
  fake.bMissingShellFolders = TRUE;
  CAppFolders folders;
  EXPECT_TRUE(folders.InitFolders());
  EXPECT_EQ("C:\\suite\\", std::string(folders.sUserDataFolder));
  EXPECT_EQ("C:\\suite\\", std::string(folders.sAllUsersDataFolder));
}
