// The launcher on the fake system (real scripts: the system test). Shell calls read
// "verb|file|parameters|directory|show|mask" (64: wait; 1088: wait, no error box).
#include "client/temp_folder.h"
#include "launcher/relaunch.h"
#include "launcher/script_runner.h"
#include "launcher/tarvik.h"
#include "support/fake_system_api.h"
#include "support/suite.h"

TEST(Tarvik, ALimitedTokenRestartsElevatedAndWaitsAndFailedCallsShowApiErrorFalse) {
  CFakeSystemApi fake;
  fake.sCurrentDirectory = "C:\\caller";
  fake.SetVista(3);
  EXPECT_EQ(0, TarvikMain("missing.txt /admin", SW_SHOW));  // only the first argument asks for it
  fake.sCommandLine = "\"C:\\suite\\Program.exe\" /Admin  s.txt \"x y\"";
  EXPECT_EQ(1, TarvikMain("/Admin  s.txt \"x y\"", SW_SHOWMINNOACTIVE));
  fake.bFailShell = TRUE;  // elevation refused: no script runs either
  EXPECT_EQ(1, TarvikMain("/admin s.txt", SW_SHOW));
  // The arguments as received, the current directory, the entry's show state; no script ran here.
  ASSERT_EQ(2u, fake.shellCalls.size());
  EXPECT_EQ("runas|C:\\suite\\Program.exe|/Admin  s.txt \"x y\"|C:\\caller|7|64", fake.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
  // The rights query's failures in the launcher's form; its own do not stop it.
  for (auto flag : {&CFakeSystemApi::bFailOpenToken, &CFakeSystemApi::bFailCurrentDirectory}) {
    CFakeSystemApi api;
    api.SetVista(3);
    api.*flag = TRUE;
    bool bToken = flag == &CFakeSystemApi::bFailOpenToken;
    EXPECT_EQ(!bToken, RelaunchElevated("/admin s.txt", SW_SHOW));
    ASSERT_EQ(1u, api.boxes.size());
    EXPECT_EQ(bToken ? "OpenProcessToken|API Error FALSE|0" : "GetCurrentDirectory|API Error FALSE|0",
              api.boxes[0].Text());
    EXPECT_EQ(bToken ? "" : "runas|C:\\suite\\Program.exe|/admin s.txt||5|64",
              api.shellCalls.empty() ? "" : api.shellCalls[0].Text());
  }
}

TEST(ScriptRunner, UnusualLinesAndMalformedScriptsStayInsideTheirBuffers) {
  CTempFolder temp;
  CFakeSystemApi fake;
  for (const char* line : {"  indented.exe x", "\"q.exe\"x y", "\"unbalanced x", "     "}) RunScriptLine(line);
  std::string calls;
  for (const auto& call : fake.shellCalls) calls += call.Text() + ";";
  EXPECT_EQ("open|indented.exe|x||5|1088;open|q.exe|x y||5|1088;open|unbalanced x|||5|1088;", calls);
  EXPECT_EQ(std::vector<DWORD>(3, INFINITE), fake.waits);
  EXPECT_EQ(-1, RunScriptFile(nullptr));

  fake.shellCalls.clear();
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
  ASSERT_TRUE(count >= 6 && static_cast<size_t>(count) == fake.shellCalls.size()) << count;
  std::string files;
  for (auto call = fake.shellCalls.end() - 6; call != fake.shellCalls.end(); ++call) files += call->file + "|";
  EXPECT_EQ("long.exe|after.exe||ab\x81 \x81|many.exe|exact.exe|", files);
  EXPECT_EQ(std::string(9991, 'p'), fake.shellCalls.end()[-6].parameters);
  EXPECT_EQ(many.substr(9), fake.shellCalls.end()[-2].parameters);  // all 600, past the 512 tokens
  fake.sModulePath = "Tarvik.exe";  // no folder to be found
  EXPECT_EQ(-1, RunScriptFile((temp.Path() + "bad.txt").c_str()));
}
