// CSV rows; byte-exact loads and saves replacing the file in one step; lookups. (More: the round-trip tests.)
#include "base/csv_editer.h"
#include "base/csv_section.h"
#include "client/temp_folder.h"
#include "support/suite.h"

namespace {
std::string Split(const std::string& text) {  // each field followed by "|"
  CCSVRowIF row;
  row.sRow = text.c_str();
  row.ParseRow();
  std::string all;
  for (int i = 0; i < row.nFieldCount; ++i) all += std::string(row.GetFieldPtr(i)) + "|";
  return all;
}
}  // namespace

TEST(CsvRow, FormatAndSplit) {
  CCSVRowIF row;
  EXPECT_TRUE(row.SetRowV(4, "x,y", "\t", "表 示", "c\"d"));
  EXPECT_STREQ("\"x,y\",\t,\"表 示\",\"c\"\"d\"", row.sRow);
  EXPECT_STREQ("", row.GetField(-1));
  EXPECT_FALSE(row.SetRow(-1, nullptr));
  const char* cases[][2] = {{"k,", "k|"}, {"k,,v", "k||v|"}, {"\"\",x", "|x|"}, {"\"a\"b,c", "ab,c|"},
                            {"a\"b", "ab|"}, {"a\"\"b", "a\"b|"}, {"", ""},
                            // a lead byte right before the end, a quote never closed
                            {"a\x95", "a\x95|"}, {"\"open, never closed", "open, never closed|"}};
  for (auto& c : cases) EXPECT_EQ(c[1], Split(c[0])) << c[0];
  EXPECT_EQ(std::string(10000, 'x') + "|", Split(std::string(10000, 'x')));
  std::string wide, kept;  // 600 fields: the first 512 are kept
  for (int i = 0; i < 600; ++i) wide += std::to_string(i) + ",", kept += i < 512 ? std::to_string(i) + "|" : "";
  EXPECT_EQ(kept, Split(wide));
}

TEST(CsvEditer, LoadAndSaveAreByteExactAndReplaceTheFileInOneStep) {
  // Trail bytes 5C (表, ソ), quotes, a record over two lines, comments, empty lines, a foreign section.
  const std::string document =
      "# MULTI SECTION CSV FORMAT\r\n# 表示の設定\r\n\r\n[ 設定 ]\r\nname,\"a b\",表示\r\n"
      "quote,\"say \"\"hi\"\"\",x\r\nmulti,\"line1\r\nline2 ソ\",end\r\n\r\n[ foreign ]\r\nanything, goes,,\r\n[S]\r\n\r\n";
  CTempFolder folder;
  const std::string original = folder.Path() + "original", copy = folder.Path() + "表.csv";  // a 0x5C trail byte
  folder.Put("original", document);
  CCSVSection doc;
  ASSERT_TRUE(doc.Load(original.c_str()));
  EXPECT_EQ(12, doc.GetLineCount());  // the quoted line break stays inside one record
  CCharString s;
  EXPECT_STREQ("line1\r\nline2 ソ", doc.GetString(s, "設定", "multi", 0));
  EXPECT_STREQ("say \"hi\"", doc.GetString(s, "設定", "quote", 0));
  EXPECT_STREQ("表示", doc.GetString(s, "設定", "name", 1));
  ASSERT_TRUE(doc.Save(copy.c_str()));
  EXPECT_TRUE(document == folder.Get("表.csv"));

  // While another program holds the file open, the save fails and leaves the old file whole.
  CCSVEditer small;
  EXPECT_TRUE(small.SetRowV(1, "newer"));
  HANDLE hHold = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
  EXPECT_FALSE(small.Save(copy.c_str()));
  CloseHandle(hHold);
  EXPECT_TRUE(document == folder.Get("表.csv"));
  EXPECT_EQ(2, folder.Count());  // the two documents, no temporary file
  EXPECT_FALSE(small.Save((copy + "\\x.csv").c_str()));  // no such folder
  ASSERT_TRUE(small.Save(copy.c_str()));
  EXPECT_EQ("newer\r\n", folder.Get("表.csv"));
}

TEST(CsvSection, LookupsAndWhereNewKeysGo) {
  CCSVSection doc;
  // A key added to S lands before the empty line that precedes [ T ].
  EXPECT_TRUE(doc.SetValueV("S", "k", 1, "v") && doc.SetValueV("T", "q", 2, "a\"b", "") && doc.SetValueV("S", "k3", 0) &&
              doc.SetValueV("S", "k", 1, "x y"));
  std::string lines;
  for (int i = 0; i < doc.GetLineCount(); ++i) lines += std::string(doc.GetLine(i)) + "\n";
  EXPECT_EQ("# MULTI SECTION CSV FORMAT\n\n[ S ]\nk,\"x y\"\nk3\n\n[ T ]\nq,\"a\"\"b\",\n", lines);

  CCSVSection d;
  for (const char* line : {"# title", "top,0", "[ A ]", "a,1", "ab,12ab", "e,", "# c,9", "", "[S]", "s,2",
                           "[ s ]", "t,3"})
    d.aLines.Add(line);
  EXPECT_EQ(-1, d.FindSection("S"));   // "[S]" is no header ...
  EXPECT_EQ(10, d.FindSection("s"));   // "[ s ]" is found only for s
  EXPECT_TRUE(d.FindEntry("A", "s"));  // ... nor the end of section A
  EXPECT_FALSE(d.FindEntry("A", "t"));  // "[ s ]" ends it
  EXPECT_FALSE(d.FindEntry("A", "# c"));  // comments are skipped
  EXPECT_EQ(12, d.GetInt("A", "ab", 0, 7));
  EXPECT_EQ(7, d.GetInt("A", "e", 0, 7));
}
