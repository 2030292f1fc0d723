// Process utilities on a fake system (RunAndWait: the server engine's port test).
// Shell calls read "verb|file|parameters|directory|show|mask" (64: wait).
#include "client/app_folders.h"
#include "client/sys/command_line.h"
#include "client/sys/elevation_notice.h"
#include "client/sys/folder_path.h"
#include "client/sys/full_rights.h"
#include "client/sys/module_folder.h"
#include "client/sys/shell_start.h"
#include "client_app_support.h"
#include "support/fake_system_api.h"
#include "temp_folder.h"

namespace {
Texts g_reported;
void Record(const char* call) { g_reported.push_back(call); }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Split(const char* text) {  // each token followed by "|"
  CCommandLineTokens tokens(text);
  std::string result;
  for (int i = 0; i < tokens.GetCount(); ++i) result += tokens.Get(i) + std::string("|");
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
  EXPECT_EQ("LastError=1314|GetTokenInformation|0", fake.boxes[0].Text());
  fake.bFailTokenInfo = FALSE;
  EXPECT_TRUE(IsFullRightsProcess());  // kept
  delete new CFakeSystemApi;  // installed and removed again: computed anew
  EXPECT_FALSE(IsFullRightsProcess());
}

TEST(ProcessUtilities, ModuleFolderAndShellStarts) {
  CFakeSystemApi fake;
  char folder[MAX_PATH];
  fake.sModulePath = "C:\\表\\ソフト.exe";  // 95 5C and 83 5C: no separators
  EXPECT_TRUE(GetModuleFolder(folder));
  EXPECT_STREQ("C:\\表\\", folder);
  fake.sModulePath = "C:\\suite\\Program.exe";

  fake.SetVista(2);  // elevated already: still "runas"
  EXPECT_TRUE(OpenWithShell("http://127.0.0.1/BAAA"));
  EXPECT_TRUE(RestartElevated("/service x", SW_SHOWMINIMIZED, 100));
  fake.bFailShell = TRUE;  // e.g. elevation refused
  EXPECT_TRUE(RestartElevated("", SW_SHOW, 0));
  EXPECT_EQ("open|http://127.0.0.1/BAAA|||5|64 runas|C:\\suite\\Program.exe|/service x|C:\\work|2|64",
            fake.shellCalls[0].Text() + " " + fake.shellCalls[1].Text());
  EXPECT_EQ(std::vector<DWORD>{100}, fake.waits);  // none for starts that failed
}

TEST(ProcessUtilities, TheElevationNotice) {
  EXPECT_STREQ("サービスとしての登録・解除処理には管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n"
               "「ミルタ-サービス登録.exe」の実行に[許可]を与えてください。\n(注)",
               ElevationNoticeText("サービスとしての登録・解除処理には", "ミルタ-サービス登録.exe", "(注)"));
}

TEST(ProcessUtilities, FolderPathsAndTheDataFolder) {
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
}

TEST(ProcessUtilities, CommandLineTokens) {
  // Tabs do not separate; a quote inside is a character; unbalanced to the end; an empty token; blanks after
  // the quote skipped; a lone quote at the end. 表 = 95 5C, ソ = 83 5C; a lead byte takes whatever follows.
  const char* cases[][2] = {{"a  \"b c\"d e", "a|b c|d|e|"}, {"    ", ""}, {" a\tb ", "a\tb|"},
                            {"ab\"c d", "ab\"c|d|"}, {"\"abc def", "abc def|"}, {"\"\" \" a b\" x", "|a b|x|"},
                            {"a \"", "a|"}, {"表示\\ソフト.exe \"表 ソ\" \x81 b c", "表示\\ソフト.exe|表 ソ|\x81 b|c|"}};
  for (auto& c : cases) EXPECT_EQ(c[1], Split(c[0])) << c[0];
  EXPECT_EQ("", Split(nullptr));
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
