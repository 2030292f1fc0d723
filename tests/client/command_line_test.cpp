// SplitCommandLine: the token rules, double-byte texts and oversized input.
#include "client/sys/command_line.h"
#include "support/suite.h"

namespace {
using Tokens = Texts;

Tokens Split(const char* text) {
  CCommandLineTokens tokens(text);
  Tokens result;
  for (int i = 0; i < tokens.GetCount(); ++i) result.push_back(tokens.Get(i));
  return result;
}
}  // namespace

TEST(SplitCommandLine, TokenRules) {
  EXPECT_EQ((Tokens{"a", "b c", "d", "e"}), Split("a  \"b c\"d e"));
  EXPECT_EQ(Tokens{}, Split("    "));
  EXPECT_EQ(Tokens{}, Split(nullptr));
  EXPECT_EQ(Tokens{"a\tb"}, Split(" a\tb "));           // tabs do not separate
  EXPECT_EQ((Tokens{"ab\"c", "d"}), Split("ab\"c d"));   // a quote inside is a character
  EXPECT_EQ(Tokens{"abc def"}, Split("\"abc def"));       // unbalanced: to the end
  EXPECT_EQ((Tokens{"", "x"}), Split("\"\" x"));          // an empty quoted token
  EXPECT_EQ((Tokens{"a b", "x"}), Split("\" a b\" x"));   // blanks after the quote skipped
  EXPECT_EQ(Tokens{"a"}, Split("a \""));                  // a lone quote at the end
  // 表 = 95 5C, ソ = 83 5C; a lead byte takes whatever follows as its trail byte.
  EXPECT_EQ((Tokens{"表示\\ソフト.exe", "表 ソ"}), Split("表示\\ソフト.exe \"表 ソ\""));
  EXPECT_EQ((Tokens{"\x81 b", "c"}), Split("\x81 b c"));
  EXPECT_EQ(Tokens{"\x81"}, Split("\x81"));
  int last = 99;
  char** block = SplitCommandLine("one two", &last);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(1, last);
  EXPECT_EQ(nullptr, block[2]);  // the pointer array is zero-filled
  FreeCommandLine(block);
}

TEST(SplitCommandLine, OversizedInputStaysInsideTheBlock) {
  std::string text, quoted, bytes;  // 600 tokens: the first 512 are kept
  for (int i = 0; i < 600; ++i) text += "t" + std::to_string(i) + " ", quoted += "\"q\"";
  CCommandLineTokens tokens(text.c_str());
  ASSERT_EQ(kMaxTokens, tokens.GetCount());
  EXPECT_STREQ("t511", tokens.Get(511));
  EXPECT_EQ(nullptr, tokens.Get(512));
  EXPECT_EQ(static_cast<int>(text.find("t511 ")), tokens.GetOffset(511));
  EXPECT_EQ(kMaxTokens, CCommandLineTokens(quoted.c_str()).GetCount());
  EXPECT_EQ(Tokens{std::string(10000, 'x')}, Split(std::string(10000, 'x').c_str()));
  for (int round = 0; round < 4; ++round)  // every byte value
    for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  CCommandLineTokens mixed(bytes.c_str());
  ASSERT_GT(mixed.GetCount(), 0);
  for (int i = 0; i < mixed.GetCount(); ++i) ASSERT_LE(mixed.GetOffset(i) + strlen(mixed.Get(i)), bytes.size());
}
