// The process utilities against a fake system: the rights check, the module
// folder, shell starts, the Windows 9x call, the elevation notice, special
// folders, folder paths, the data folder and command lines.
// Shell calls read "verb|file|parameters|directory|show|mask" (64: wait).
#include "client/app_folders.h"
#include "client/sys/command_line.h"
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
Texts g_reported;
void Record(const char* call) { g_reported.push_back(call); }

struct CScriptedPrompt : CUserPrompt {
  int MessageBox(const char* text, UINT type) override {
    texts.push_back(text + std::string("|") + std::to_string(type));
    return answer;
  }
  int answer = IDYES;
  Texts texts;
};

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Texts Split(const char* text) {
  CCommandLineTokens tokens(text);
  Texts result;
  for (int i = 0; i < tokens.GetCount(); ++i) result.push_back(tokens.Get(i));
  return result;
}
}  // namespace

TEST(Rights, OnlyALimitedTokenOnVistaIsLimitedAndAFailedCallCountsAsNotLimited) {
  struct Case {
    DWORD token;  // TokenElevationType on Vista; 0: XP, where a token query would fail
    BOOL CFakeSystemApi::*fail;
    BOOL bLimited;
    const char* reported;
  } cases[] = {
      {0, &CFakeSystemApi::bFailOpenToken, FALSE, ""}, {1, nullptr, FALSE, ""}, {2, nullptr, FALSE, ""},
      {3, nullptr, TRUE, ""}, {3, &CFakeSystemApi::bMissingTokenApi, FALSE, ""},
      {3, &CFakeSystemApi::bFailGetVersion, FALSE, "GetVersionEx"},  // nothing read: before Vista
      {3, &CFakeSystemApi::bFailOpenToken, FALSE, "OpenProcessToken"},
      {3, &CFakeSystemApi::bFailTokenInfo, FALSE, "GetTokenInformation"},
      {3, &CFakeSystemApi::bFailCloseHandle, TRUE, "CloseHandle"},  // the type was read
  };
  for (const Case& c : cases) {
    CFakeSystemApi fake;
    fake.SetVista(c.token);
    if (c.token == 0) fake.SetWindowsXP();
    if (c.fail) fake.*c.fail = TRUE;
    g_reported.clear();
    EXPECT_EQ(c.bLimited, IsLimitedToken(Record)) << c.token << c.reported;
    EXPECT_EQ(*c.reported ? Texts{c.reported} : Texts{}, g_reported);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
  // The client's form of a failure; the answer is kept until another system is installed.
  CFakeSystemApi fake;
  fake.SetVista(3);
  fake.dwFailError = 1314;
  fake.bFailTokenInfo = TRUE;
  EXPECT_TRUE(IsFullRightsProcess());
  ASSERT_EQ(1u, fake.boxes.size());
  EXPECT_EQ("LastError=1314|GetTokenInformation|0|0", fake.boxes[0].text + "|" + fake.boxes[0].caption + "|" +
                                                          std::to_string(fake.boxes[0].type) + "|" +
                                                          std::to_string(fake.boxes[0].owner != nullptr));
  fake.bFailTokenInfo = FALSE;
  EXPECT_TRUE(IsFullRightsProcess());  // kept
  {
    CFakeSystemApi other;
    other.SetVista(3);
    EXPECT_FALSE(IsFullRightsProcess());
  }
  EXPECT_FALSE(IsFullRightsProcess());  // the first fake again, computed anew
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
  fake.sModulePath = "C:\\suite\\Program.exe";

  fake.SetWindowsXP();
  EXPECT_TRUE(RunAndWait("tool.exe", "/x \"a b\"", 30000));
  fake.SetVista(2);  // elevated already: still "runas"
  EXPECT_TRUE(RunAndWait("tool.exe", nullptr, 0));  // back as soon as it started
  EXPECT_TRUE(OpenWithShell("http://127.0.0.1/BAAA"));
  EXPECT_TRUE(RestartElevated("/service x", SW_SHOWMINIMIZED, 100));
  fake.bFailShell = TRUE;  // e.g. elevation refused
  EXPECT_FALSE(RunAndWait("tool.exe", "", 30000));
  Texts calls;
  for (const auto& call : fake.shellCalls) calls.push_back(call.Text());
  EXPECT_EQ((Texts{"open|tool.exe|/x \"a b\"||5|64", "runas|tool.exe|||5|0", "open|http://127.0.0.1/BAAA|||5|64",
                   "runas|C:\\suite\\Program.exe|/service x|C:\\work|2|64", "runas|tool.exe|||5|64"}),
            calls);
  EXPECT_EQ((std::vector<DWORD>{30000, 100}), fake.waits);  // none for starts that failed

  fake.bHaveRegisterServiceProcess = TRUE;
  EXPECT_EQ(0u, RegisterAsServiceProcess(0, 1));  // NT family
  fake.SetWindows9x();
  EXPECT_EQ(1u, RegisterAsServiceProcess(0, 1));
  EXPECT_EQ(Texts{"0 1"}, fake.serviceProcessCalls);
}

TEST(ProcessUtilities, TheElevationNoticeIsAskedOnlyWithoutFullRights) {
  const std::string text =
      "サービスとしての登録・解除処理には管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n"
      "「ミルタ-サービス登録.exe」の実行に[許可]を与えてください。";
  CScriptedPrompt prompt;
  CFakeSystemApi fake;
  fake.SetVista(3);
  EXPECT_TRUE(ConfirmElevation(&prompt, "サービスとしての登録・解除処理には", "ミルタ-サービス登録.exe", "(注)"));
  prompt.answer = IDNO;
  EXPECT_FALSE(ConfirmElevation(&prompt, "サービスとしての登録・解除処理には", "ミルタ-サービス登録.exe", nullptr));
  EXPECT_FALSE(ConfirmElevation(nullptr, "", "", nullptr));
  EXPECT_EQ((Texts{text + "\n(注)|4", text + "|4"}), prompt.texts);  // MB_YESNO
  CFakeSystemApi elevated;  // another system: the rights are computed anew
  elevated.SetVista(2);
  EXPECT_TRUE(ConfirmElevation(&prompt, "", "", nullptr));
  EXPECT_EQ(2u, prompt.texts.size());  // not asked
}

TEST(ProcessUtilities, SpecialFoldersFolderPathsAndTheDataFolder) {
  char path[MAX_PATH];
  {
    CFakeSystemApi fake;  // the first look-up answers; the second, with the create flag
    fake.bFakeShellFolders = TRUE;
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 26, TRUE));
    EXPECT_STREQ("C:\\Shell\\26", path);
    fake.bFailSpecialFolderPath = TRUE;
    fake.bShell32HasFolderPath = FALSE;  // shfolder.dll then
    EXPECT_EQ(1, GetSpecialFolder(nullptr, path, 35, TRUE));
    fake.bFailFolderPath = TRUE;
    EXPECT_EQ(0, GetSpecialFolder(nullptr, path, 26, FALSE));
    EXPECT_STREQ("", path);
    EXPECT_EQ((Texts{"shell32 SHGetSpecialFolderPathA 26 1", "shell32 SHGetSpecialFolderPathA 35 1",
                     "shfolder SHGetFolderPathA 32803 1", "shell32 SHGetSpecialFolderPathA 26 0",
                     "shfolder SHGetFolderPathA 26 1"}),
              fake.folderCalls);
    EXPECT_EQ(0, fake.nLoadedLibraries);
  }
  const char* paths[][2] = {{"C:\\dir\\name/x", "C:\\dir\\"}, {"a/b/c", "a/b/"}, {"name.exe", ""},
                              {"C:\\表", "C:\\"}, {"C:\\ソ\\x.exe", "C:\\ソ\\"}};  // 95 5C, 83 5C: one character
  for (auto& f : paths) EXPECT_EQ(f[1], std::string(GetFolderOfPath(f[0])));
  CTempFolder temp;
  const std::string& t = temp.Path();
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "a\\b\\c").c_str(), 0));  // already there
  EXPECT_EQ(1, CreateFolderPath((t + "表\\ソ").c_str(), 0));  // trail bytes 5C: two levels
  EXPECT_TRUE(IsFolder(t + "a\\b\\c") && IsFolder(t + "表\\ソ"));
  temp.Put("file", "x");  // a plain file in the way
  EXPECT_EQ(0, CreateFolderPath((t + "file\\sub").c_str(), 0));
  EXPECT_EQ(1, CreateFolderPath((t + "g\\h").c_str(), static_cast<int>(t.size())));  // from the offset on
  EXPECT_EQ(0, CreateFolderPath((t + "j\\k").c_str(), 100000));  // beyond the end: only the whole path

  // The data folder: the user's with a limited token, unless in service mode.
  for (const char* c : {"3-26", "3s35", "2-35"}) {
    CFakeSystemApi fake;
    fake.SetVista(c[0] - '0');
    fake.sModulePath = t + "Vantro.exe";
    fake.bFakeShellFolders = TRUE;
    fake.sSpecialFolder = t + "shell";
    CAppFolders folders;
    EXPECT_TRUE(folders.ChooseDataFolder(c[1] == 's'));
    EXPECT_EQ(t + "shell\\" + (c + 2) + "\\RAVO\\Brassel\\", std::string(folders.sDataFolder));
    EXPECT_TRUE(IsFolder(std::string(folders.sDataFolder)));
  }
  CFakeSystemApi fake;  // no special folders at all: the module folder
  fake.bMissingShellFolders = TRUE;
  CAppFolders folders;
  folders.InitFolders();
  EXPECT_EQ("C:\\suite\\|C:\\suite\\", std::string(folders.sUserDataFolder) + "|" + static_cast<const char*>(folders.sAllUsersDataFolder));
}

TEST(ProcessUtilities, CommandLineTokens) {
  EXPECT_EQ((Texts{"a", "b c", "d", "e"}), Split("a  \"b c\"d e"));
  EXPECT_EQ(Texts{}, Split("    "));
  EXPECT_EQ(Texts{}, Split(nullptr));
  EXPECT_EQ(Texts{"a\tb"}, Split(" a\tb "));            // tabs do not separate
  EXPECT_EQ((Texts{"ab\"c", "d"}), Split("ab\"c d"));    // a quote inside is a character
  EXPECT_EQ(Texts{"abc def"}, Split("\"abc def"));        // unbalanced: to the end
  EXPECT_EQ((Texts{"", "a b", "x"}), Split("\"\" \" a b\" x"));  // empty; blanks after the quote skipped
  EXPECT_EQ(Texts{"a"}, Split("a \""));                   // a lone quote at the end
  // 表 = 95 5C, ソ = 83 5C; a lead byte takes whatever follows as its trail byte.
  EXPECT_EQ((Texts{"表示\\ソフト.exe", "表 ソ", "\x81 b", "c"}), Split("表示\\ソフト.exe \"表 ソ\" \x81 b c"));
  // Oversized input stays inside the block: 600 tokens, the first 512 kept.
  std::string text, quoted, bytes;
  for (int i = 0; i < 600; ++i) text += "t" + std::to_string(i) + " ", quoted += "\"q\"";
  CCommandLineTokens tokens(text.c_str());
  ASSERT_EQ(kMaxTokens, tokens.GetCount());
  EXPECT_STREQ("t511", tokens.Get(511));
  EXPECT_EQ(nullptr, tokens.Get(512));
  EXPECT_EQ(static_cast<int>(text.find("t511 ")), tokens.GetOffset(511));
  EXPECT_EQ(kMaxTokens, CCommandLineTokens(quoted.c_str()).GetCount());
  for (int round = 0; round < 4; ++round)  // every byte value
    for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  CCommandLineTokens mixed(bytes.c_str());
  ASSERT_GT(mixed.GetCount(), 0);
  for (int i = 0; i < mixed.GetCount(); ++i) ASSERT_LE(mixed.GetOffset(i) + strlen(mixed.Get(i)), bytes.size());
}
