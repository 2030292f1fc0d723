// The script runner against the fake system: what unusual lines start, and
// malformed scripts. (The launcher's system test runs real scripts: order,
// comments, short lines, folders, Shift-JIS names, programs that fail.)
// Shell calls read "verb|file|parameters|directory|show|mask" (1088: wait, no error box).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/temp_folder.h"
#include "launcher/script_runner.h"
#include "support/fake_system_api.h"

using Texts = std::vector<std::string>;

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
