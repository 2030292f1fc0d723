// The script runner against the fake system: what each line starts, the skip
// rules, and malformed scripts. Shell calls read
// "verb|file|parameters|directory|show|mask" (1088: wait, no error box).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/temp_folder.h"
#include "launcher/script_runner.h"
#include "support/fake_system_api.h"

namespace {
using Texts = std::vector<std::string>;

// A launcher installed in a temporary folder.
class ScriptRunner : public ::testing::Test {
 protected:
  ScriptRunner() { fake.sModulePath = temp.Path() + "Tarvik.exe"; }
  Texts Calls() const {
    Texts texts;
    for (const CFakeSystemApi::ShellCall& call : fake.shellCalls) texts.push_back(call.Text());
    return texts;
  }
  Texts Files() const {
    Texts files;
    for (const CFakeSystemApi::ShellCall& call : fake.shellCalls) files.push_back(call.file);
    return files;
  }
  CTempFolder temp;
  CFakeSystemApi fake;
};
}  // namespace

TEST_F(ScriptRunner, LineGivesProgramParametersAndDirectory) {
  for (const char* line : {"\"C:\\My Tools\\x.exe\" -q \"file name.txt\"", "notepad.exe readme.txt",
                           "a.exe", "sub/b.exe  two  blanks ", "  indented.exe x", "\"q.exe\"x y",
                           "\"unbalanced x", "     ", "表示\\ソフト.exe 表"})
    RunScriptLine(line);
  EXPECT_EQ((Texts{"open|C:\\My Tools\\x.exe|-q \"file name.txt\"|C:\\My Tools\\|5|1088",
                   "open|notepad.exe|readme.txt||5|1088", "open|a.exe|||5|1088",
                   "open|sub/b.exe| two  blanks |sub/|5|1088", "open|indented.exe|x||5|1088",
                   "open|q.exe|x y||5|1088", "open|unbalanced x|||5|1088",
                   "open|表示\\ソフト.exe|表|表示\\|5|1088"}),
            Calls());
  EXPECT_EQ(std::vector<DWORD>(8, INFINITE), fake.waits);
}

TEST_F(ScriptRunner, FileSkipsShortLinesAndCommentsAndResolvesAgainstTheLauncher) {
  temp.Put("s.txt", "first.exe 1\r\nab\r\n\r\n\n;comment.exe x\r\nabc\n ;x\r\nlast.exe \"q\"");
  CTempFolder elsewhere;
  SetCurrentDirectoryA(elsewhere.Path().c_str());
  EXPECT_EQ(4, RunScriptFile("s.txt"));
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(temp.Path(), std::string(current) + "\\");
  // ";" counts only in the first column; the last line needs no line end.
  EXPECT_EQ((Texts{"first.exe", "abc", ";x", "last.exe"}), Files());
  EXPECT_EQ("\"q\"", fake.shellCalls[3].parameters);

  fake.bFailShell = TRUE;  // programs that cannot start count and pass silently
  EXPECT_EQ(4, RunScriptFile((temp.Path() + "s.txt").c_str()));
  EXPECT_EQ(8u, fake.shellCalls.size());
  EXPECT_TRUE(fake.boxes.empty());

  EXPECT_EQ(-1, RunScriptFile("missing.txt"));
  EXPECT_EQ(-1, RunScriptFile(nullptr));
  fake.sModulePath = "Tarvik.exe";  // no folder to be found
  EXPECT_EQ(-1, RunScriptFile((temp.Path() + "s.txt").c_str()));
  EXPECT_EQ(8u, fake.shellCalls.size());
}

TEST_F(ScriptRunner, MalformedScriptsStayInsideTheirBuffers) {
  std::string script;
  for (int c = 0; c < 256; ++c) {  // every byte value, zero bytes included
    script += static_cast<char>(c);
    if (c % 16 == 15) script += "\n";
  }
  std::string many = "many.exe";
  for (int i = 0; i < 600; ++i) many += " t" + std::to_string(i);
  script += "\nlong.exe " + std::string(9991, 'p') + "\n" +     // 10,000 bytes: runs
            "too.exe " + std::string(100000, 'x') + "\r\n" +   // skipped whole
            "after.exe \"unbalanced\" \"x\n\"\" \"\nab\x81 \x81\n" + many + "\n" +
            std::string(kMaxScriptLine, 'e') + "\nexact.exe\n";  // one at the limit: skipped
  temp.Put("bad.txt", script);

  int count = RunScriptFile("bad.txt");
  Texts files = Files();
  ASSERT_EQ(static_cast<size_t>(count), files.size());
  ASSERT_GE(files.size(), 6u);
  EXPECT_EQ((Texts{"long.exe", "after.exe", "", "ab\x81 \x81", "many.exe", "exact.exe"}),
            Texts(files.end() - 6, files.end()));
  const CFakeSystemApi::ShellCall* last = &fake.shellCalls.back();
  EXPECT_EQ(std::string(9991, 'p'), last[-5].parameters);
  EXPECT_EQ("\"unbalanced\" \"x", last[-4].parameters);
  EXPECT_EQ(many.substr(9), last[-1].parameters);  // all 600, past the 512 tokens
}
