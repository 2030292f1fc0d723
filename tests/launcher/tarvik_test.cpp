// The launcher against the fake system: what unusual lines start, malformed
// scripts, "/admin" with a limited token and failed system calls. (The
// system test runs real scripts under Wine, whose token is elevated: order,
// comments, short lines, folders, Shift-JIS names, programs that fail.)
// Shell calls read "verb|file|parameters|directory|show|mask" (64: wait;
// 1088: wait, no error box).
#include "client/temp_folder.h"
#include "launcher/relaunch.h"
#include "launcher/script_runner.h"
#include "launcher/tarvik.h"
#include "support/fake_system_api.h"
#include "support/suite.h"

TEST(Tarvik, LimitedTokenRestartsElevatedAndWaits) {
  CFakeSystemApi fake;
  fake.sCurrentDirectory = "C:\\caller";
  fake.SetVista(3);
  EXPECT_EQ(0, TarvikMain("missing.txt /admin", SW_SHOW));  // only the first argument asks for it
  EXPECT_TRUE(fake.shellCalls.empty());
  fake.sCommandLine = "\"C:\\suite\\Program.exe\" /Admin  s.txt \"x y\"";
  EXPECT_EQ(1, TarvikMain("/Admin  s.txt \"x y\"", SW_SHOWMINNOACTIVE));
  ASSERT_EQ(1u, fake.shellCalls.size());  // no script ran here
  // The arguments as received, the current directory, the entry's show state.
  EXPECT_EQ("runas|C:\\suite\\Program.exe|/Admin  s.txt \"x y\"|C:\\caller|7|64", fake.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
  fake.bFailShell = TRUE;  // elevation refused: no script runs either
  EXPECT_EQ(1, TarvikMain("/admin s.txt", SW_SHOW));
  EXPECT_EQ(1u, fake.waits.size());
  fake.bFailShell = FALSE;
  for (int system : {0, 1, 2, 3}) {  // XP, Windows 9x, a default token, no token functions
    if (system == 0) fake.SetWindowsXP();
    if (system == 1) fake.SetWindows9x();
    if (system == 2) fake.SetVista(1);
    if (system == 3) fake.SetVista(3), fake.bMissingTokenApi = TRUE;
    EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW)) << system;
  }
  EXPECT_EQ(2u, fake.shellCalls.size());
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(0, fake.nLoadedLibraries);
}

TEST(Tarvik, FailedCallsShowApiErrorFalseAndGoOn) {
  struct Case {
    BOOL CFakeSystemApi::*flag;
    const char* call;
    BOOL bRelaunched;
  } cases[] = {
      {&CFakeSystemApi::bFailGetVersion, "GetVersionEx", FALSE},     // nothing read
      {&CFakeSystemApi::bFailOpenToken, "OpenProcessToken", FALSE},  // no type read
      {&CFakeSystemApi::bFailTokenInfo, "GetTokenInformation", FALSE},
      {&CFakeSystemApi::bFailCloseHandle, "CloseHandle", TRUE},
      {&CFakeSystemApi::bFailModuleFileName, "GetModuleFileName", TRUE},
      {&CFakeSystemApi::bFailCurrentDirectory, "GetCurrentDirectory", TRUE},
  };
  for (const Case& c : cases) {
    CFakeSystemApi api;
    api.SetVista(3);
    api.*c.flag = TRUE;
    EXPECT_EQ(c.bRelaunched, RelaunchElevated("/admin s.txt", SW_SHOW)) << c.call;
    ASSERT_EQ(1u, api.boxes.size()) << c.call;
    EXPECT_EQ(c.call + std::string("|API Error FALSE"), api.boxes[0].text + "|" + api.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), api.boxes[0].type);
    EXPECT_EQ(nullptr, api.boxes[0].owner);
    EXPECT_EQ(c.bRelaunched ? 1u : 0u, api.shellCalls.size()) << c.call;
    EXPECT_EQ(0, api.nLoadedLibraries);
  }
}

TEST(ScriptRunner, UnusualLines) {
  CFakeSystemApi fake;
  for (const char* line : {"  indented.exe x", "\"q.exe\"x y", "\"unbalanced x", "     ", "sub/b.exe  two "})
    RunScriptLine(line);
  Texts calls;
  for (const auto& call : fake.shellCalls) calls.push_back(call.Text());
  EXPECT_EQ((Texts{"open|indented.exe|x||5|1088", "open|q.exe|x y||5|1088", "open|unbalanced x|||5|1088",
                   "open|sub/b.exe| two |sub/|5|1088"}),
            calls);
  EXPECT_EQ(std::vector<DWORD>(4, INFINITE), fake.waits);
  EXPECT_EQ(-1, RunScriptFile(nullptr));
}

TEST(ScriptRunner, MalformedScriptsStayInsideTheirBuffers) {
  CTempFolder temp;
  CFakeSystemApi fake;
  fake.sModulePath = temp.Path() + "Tarvik.exe";
  std::string script, many = "many.exe";
  for (int c = 0; c < 256; ++c) script += std::string(1, static_cast<char>(c)) + (c % 16 == 15 ? "\n" : "");
  for (int i = 0; i < 600; ++i) many += " t" + std::to_string(i);
  script += "\nlong.exe " + std::string(9991, 'p') + "\n" +     // 10,000 bytes: runs
            "too.exe " + std::string(100000, 'x') + "\r\n" +   // skipped whole
            "after.exe \"unbalanced\" \"x\n\"\" \"\nab\x81 \x81\n" + many + "\n" +
            std::string(kMaxScriptLine, 'e') + "\nexact.exe\n";  // one at the limit: skipped
  temp.Put("bad.txt", script);
  int count = RunScriptFile("bad.txt");
  ASSERT_EQ(static_cast<size_t>(count), fake.shellCalls.size());
  ASSERT_GE(count, 6);
  Texts files;
  for (auto call = fake.shellCalls.end() - 6; call != fake.shellCalls.end(); ++call) files.push_back(call->file);
  EXPECT_EQ((Texts{"long.exe", "after.exe", "", "ab\x81 \x81", "many.exe", "exact.exe"}), files);
  const CFakeSystemApi::ShellCall* last = &fake.shellCalls.back();
  EXPECT_EQ(std::string(9991, 'p'), last[-5].parameters);
  EXPECT_EQ("\"unbalanced\" \"x", last[-4].parameters);
  EXPECT_EQ(many.substr(9), last[-1].parameters);  // all 600, past the 512 tokens
  fake.sModulePath = "Tarvik.exe";  // no folder to be found
  EXPECT_EQ(-1, RunScriptFile((temp.Path() + "bad.txt").c_str()));
}
