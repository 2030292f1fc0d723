// SplitCommandLine: the token rules, double-byte texts and oversized input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/sys/command_line.h"

namespace {
std::vector<std::string> Split(const char* text) {
  CCommandLineTokens tokens(text);
  std::vector<std::string> result;
  for (int i = 0; i < tokens.GetCount(); ++i) result.push_back(tokens.Get(i));
  return result;
}
using Tokens = std::vector<std::string>;
}  // namespace

TEST(SplitCommandLine, TokenRules) {
  EXPECT_EQ((Tokens{"a", "b c", "d", "e"}), Split("a  \"b c\"d e"));
  EXPECT_EQ(Tokens{}, Split(""));
  EXPECT_EQ(Tokens{}, Split("    "));
  EXPECT_EQ(Tokens{}, Split(nullptr));
  EXPECT_EQ(Tokens{"a\tb"}, Split(" a\tb "));                // tabs do not separate
  EXPECT_EQ((Tokens{"ab\"c", "d"}), Split("ab\"c d"));        // a quote inside is a character
  EXPECT_EQ(Tokens{"abc def"}, Split("\"abc def"));            // unbalanced: to the end
  EXPECT_EQ((Tokens{"", "x"}), Split("\"\" x"));               // an empty quoted token
  EXPECT_EQ((Tokens{"a b", "x"}), Split("\" a b\" x"));        // blanks after the quote skipped
  EXPECT_EQ(Tokens{"a"}, Split("a \""));                       // a lone quote at the end
  EXPECT_EQ((Tokens{"C:\\My Tools\\x.exe", "-q", "file name"}),
            Split("\"C:\\My Tools\\x.exe\" -q \"file name\""));

  int last = 99;
  char** block = SplitCommandLine("one two", &last);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, last);
  EXPECT_STREQ("two", block[1]);
  EXPECT_EQ(nullptr, block[2]);  // the pointer array is zero-filled
  FreeCommandLine(block);
  block = SplitCommandLine("", &last);
  EXPECT_EQ(-1, last);
  FreeCommandLine(block);
}

TEST(SplitCommandLine, DoubleByteTexts) {
  // 表 = 95 5C, ソ = 83 5C: their trail bytes are backslashes, not separators.
  EXPECT_EQ((Tokens{"表示\\ソフト.exe", "表 ソ"}), Split("表示\\ソフト.exe \"表 ソ\""));
  // A lead byte takes the next byte as its trail byte, whatever it is.
  EXPECT_EQ((Tokens{"\x81 b", "c"}), Split("\x81 b c"));
  EXPECT_EQ(Tokens{"\x81"}, Split("\x81"));  // a lead byte before the end
}

TEST(SplitCommandLine, OversizedInputStaysInsideTheBlock) {
  // 600 tokens: the first 512 are kept, the rest ignored.
  std::string text;
  for (int i = 0; i < 600; ++i) text += "t" + std::to_string(i) + " ";
  CCommandLineTokens tokens(text.c_str());
  ASSERT_EQ(kMaxTokens, tokens.GetCount());
  EXPECT_STREQ("t0", tokens.Get(0));
  EXPECT_STREQ("t511", tokens.Get(511));
  EXPECT_EQ(nullptr, tokens.Get(512));
  EXPECT_EQ(nullptr, tokens.Get(-1));
  EXPECT_EQ(static_cast<int>(text.find("t511 ")), tokens.GetOffset(511));
  EXPECT_EQ(-1, tokens.GetOffset(512));

  // 600 quoted tokens back to back, a long token, and every byte value.
  std::string quoted;
  for (int i = 0; i < 600; ++i) quoted += "\"q\"";
  EXPECT_EQ(kMaxTokens, CCommandLineTokens(quoted.c_str()).GetCount());
  std::string longToken(10000, 'x');
  EXPECT_EQ(Tokens{longToken}, Split(longToken.c_str()));
  std::string bytes;
  for (int round = 0; round < 4; ++round)
    for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  CCommandLineTokens mixed(bytes.c_str());
  EXPECT_GT(mixed.GetCount(), 0);
  for (int i = 0; i < mixed.GetCount(); ++i) {
    int offset = mixed.GetOffset(i);
    ASSERT_GE(offset, 0);
    ASSERT_LE(offset + strlen(mixed.Get(i)), bytes.size());
  }
}
