// The script runner against the fake system: what each line starts, the skip
// rules, and malformed scripts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/temp_folder.h"
#include "launcher/script_runner.h"
#include "support/fake_system_api.h"

namespace {
const ULONG kMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;

struct Start {
  std::string file, parameters, directory;
};

std::vector<Start> Starts(const CFakeSystemApi& fake) {
  std::vector<Start> starts;
  for (const CFakeSystemApi::ShellCall& call : fake.shellCalls)
    starts.push_back({call.file, call.parameters, call.directory});
  return starts;
}

// A launcher installed in a temporary folder.
class ScriptRunner : public ::testing::Test {
 protected:
  ScriptRunner() { fake.sModulePath = temp.Path() + "Tarvik.exe"; }
  CTempFolder temp;
  CFakeSystemApi fake;
};
}  // namespace

TEST_F(ScriptRunner, LineGivesProgramParametersAndDirectory) {
  RunScriptLine("\"C:\\My Tools\\x.exe\" -q \"file name.txt\"");
  RunScriptLine("notepad.exe readme.txt");
  RunScriptLine("a.exe");
  RunScriptLine("sub/b.exe  two  blanks ");  // one blank is the separator
  RunScriptLine("  indented.exe x");
  RunScriptLine("\"q.exe\"x y");
  RunScriptLine("\"unbalanced x");
  RunScriptLine("     ");
  RunScriptLine("表示\\ソフト.exe 表");
  ASSERT_EQ(8u, fake.shellCalls.size());
  const char* expected[][3] = {
      {"C:\\My Tools\\x.exe", "-q \"file name.txt\"", "C:\\My Tools\\"},
      {"notepad.exe", "readme.txt", ""},
      {"a.exe", "", ""},
      {"sub/b.exe", " two  blanks ", "sub/"},
      {"indented.exe", "x", ""},
      {"q.exe", "x y", ""},
      {"unbalanced x", "", ""},
      {"表示\\ソフト.exe", "表", "表示\\"},
  };
  for (size_t i = 0; i < 8; ++i) {
    const CFakeSystemApi::ShellCall& call = fake.shellCalls[i];
    EXPECT_EQ(expected[i][0], call.file) << i;
    EXPECT_EQ(expected[i][1], call.parameters) << i;
    EXPECT_EQ(expected[i][2], call.directory) << i;
    EXPECT_EQ("open", call.verb);
    EXPECT_EQ(SW_SHOW, call.show);
    EXPECT_EQ(kMask, call.mask);
  }
  EXPECT_EQ(std::vector<DWORD>(8, INFINITE), fake.waits);
}

TEST_F(ScriptRunner, FileSkipsShortLinesAndCommentsAndResolvesAgainstTheLauncher) {
  temp.Put("s.txt",
           "first.exe 1\r\n"
           "ab\r\n"
           "\r\n"
           "\n"
           ";comment.exe x\r\n"
           "abc\n"
           " ;x\r\n"
           "last.exe \"q\"");  // no line end
  CTempFolder elsewhere;
  SetCurrentDirectoryA(elsewhere.Path().c_str());
  EXPECT_EQ(4, RunScriptFile("s.txt"));
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(temp.Path(), std::string(current) + "\\");
  ASSERT_EQ(4u, fake.shellCalls.size());
  EXPECT_EQ("first.exe", fake.shellCalls[0].file);
  EXPECT_EQ("abc", fake.shellCalls[1].file);
  EXPECT_EQ(";x", fake.shellCalls[2].file);  // ";" only counts in the first column
  EXPECT_EQ("last.exe", fake.shellCalls[3].file);
  EXPECT_EQ("\"q\"", fake.shellCalls[3].parameters);

  // Programs that cannot be started count and are passed over silently.
  fake.shellCalls.clear();
  fake.bFailShell = TRUE;
  EXPECT_EQ(4, RunScriptFile((temp.Path() + "s.txt").c_str()));
  EXPECT_EQ(4u, fake.shellCalls.size());
  EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(ScriptRunner, MissingScriptOrFolder) {
  EXPECT_EQ(-1, RunScriptFile("missing.txt"));
  EXPECT_EQ(-1, RunScriptFile(nullptr));
  temp.Put("empty.txt", "");
  EXPECT_EQ(0, RunScriptFile("empty.txt"));
  fake.sModulePath = "Tarvik.exe";  // no folder to be found
  EXPECT_EQ(-1, RunScriptFile((temp.Path() + "empty.txt").c_str()));
  fake.bFailModuleFileName = TRUE;
  EXPECT_EQ(-1, RunScriptFile((temp.Path() + "empty.txt").c_str()));
  EXPECT_TRUE(fake.shellCalls.empty());
}

TEST_F(ScriptRunner, MalformedScriptsStayInsideTheirBuffers) {
  std::string script;
  // Every byte value, zero bytes included, in short lines.
  for (int c = 0; c < 256; ++c) {
    script += static_cast<char>(c);
    if (c % 16 == 15) script += "\n";
  }
  script += "\n";
  std::string tenThousand = "long.exe " + std::string(9991, 'p');  // 10,000 bytes
  script += tenThousand + "\n";
  script += "too.exe " + std::string(100000, 'x') + "\r\n";  // skipped whole
  script += "after.exe \"unbalanced\" \"x\n";
  script += "\"\" \"\n";
  std::string many = "many.exe";
  for (int i = 0; i < 600; ++i) many += " t" + std::to_string(i);
  script += many + "\n";
  script += "ab\x81 \x81\n";
  script += std::string(kMaxScriptLine, 'e') + "\n" + "exact.exe\n";  // a line at the limit
  temp.Put("bad.txt", script);

  int count = RunScriptFile("bad.txt");
  std::vector<Start> starts = Starts(fake);
  EXPECT_EQ(static_cast<size_t>(count), starts.size());
  auto find = [&](const std::string& file) -> const Start* {
    for (const Start& s : starts)
      if (s.file == file) return &s;
    return nullptr;
  };
  const Start* start = find("long.exe");
  ASSERT_NE(nullptr, start);
  EXPECT_EQ(std::string(9991, 'p'), start->parameters);
  EXPECT_EQ(nullptr, find("too.exe"));
  ASSERT_NE(nullptr, find("after.exe"));
  EXPECT_EQ("\"unbalanced\" \"x", find("after.exe")->parameters);
  ASSERT_NE(nullptr, find("many.exe"));  // all 600 parameters, not just 511 tokens
  EXPECT_EQ(many.substr(9), find("many.exe")->parameters);
  EXPECT_NE(nullptr, find("exact.exe"));
  EXPECT_EQ("exact.exe", starts.back().file);
}
