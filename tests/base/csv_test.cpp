#include "base/csv_editer.h"
#include "base/csv_reader.h"
#include "base/csv_section.h"
#include "support/suite.h"
#include "support/text_streams.h"
#include "temp_file.h"

namespace {
std::string Fields(const CCSVRowIF& row) {
  std::string all;
  for (int i = 0; i < row.nFieldCount; ++i) all += std::string(row.GetFieldPtr(i)) + "|";
  return all;
}

std::string Split(const std::string& text) {
  CCSVRowIF row;
  row.sRow = text.c_str();
  row.ParseRow();
  return Fields(row);
}

std::string Lines(const CCSVEditer& doc) {
  std::string all;
  for (int i = 0; i < doc.GetLineCount(); ++i) all += std::string(doc.GetLine(i)) + "\n";
  return all;
}

// Temporary files that saves leave in the temporary folder.
int SaveLeftovers() {
  char szPattern[MAX_PATH];
  GetTempPathA(MAX_PATH, szPattern);
  lstrcatA(szPattern, "csv*.tmp");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(szPattern, &fd);
  int n = 0;
  for (BOOL bMore = h != INVALID_HANDLE_VALUE; bMore; bMore = FindNextFileA(h, &fd)) ++n;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return n;
}

// Shift-JIS text with 0x5C trail bytes (表 95 5C, ソ 83 5C), quotes, a
// record over two lines, comments, empty lines and a foreign section.
const char kDocument[] =
    "# MULTI SECTION CSV FORMAT\r\n# 表示の設定\r\n\r\n[ 設定 ]\r\nname,\"a b\",表示\r\n"
    "quote,\"say \"\"hi\"\"\",x\r\nmulti,\"line1\r\nline2 ソ\",end\r\n\r\n"
    "[ foreign ]\r\nanything, goes,,\r\n[S]\r\n\r\n";
}  // namespace

TEST(CsvRow, FormatAndSplit) {
  CCSVRowIF row;
  const char* three[] = {"a b", "", "c\"d"};
  CCharString s;
  EXPECT_STREQ("\"a b\",,\"c\"\"d\"", row.FormatRow(s, 3, three));
  EXPECT_TRUE(row.SetRowV(3, "x,y", "\t", "表 示"));
  EXPECT_STREQ("\"x,y\",\t,\"表 示\"", row.sRow);
  EXPECT_STREQ("表 示", row.GetField(2));
  EXPECT_STREQ("", row.GetField(-1));
  EXPECT_FALSE(row.SetRow(-1, three));
  const char* cases[][2] = {{"k,", "k|"}, {"k,,v", "k||v|"}, {"\"\",x", "|x|"}, {"\"a\"b,c", "ab,c|"},
                            {"a\"b", "ab|"}, {"a\"\"b", "a\"b|"}, {"", ""},
                            // a lead byte right before the end, a quote never closed
                            {"a\x95", "a\x95|"}, {"\"open, never closed", "open, never closed|"}};
  for (auto& c : cases) EXPECT_EQ(c[1], Split(c[0])) << c[0];
  EXPECT_EQ(std::string(10000, 'x') + "|", Split(std::string(10000, 'x')));
  std::string wide;  // 600 fields: the first 512 are kept
  for (int i = 0; i < 600; ++i) wide += std::to_string(i) + ",";
  row.sRow = wide.c_str();
  row.ParseRow();
  EXPECT_EQ(512, row.nFieldCount);
  EXPECT_STREQ("511", row.GetFieldPtr(511));
}

TEST(CsvReader, RecordsRunOverLinesAndOpenOrLongRecordsEnd) {
  CTextReader text("a,\"1\r\n2\"\r\nb,\"x\"\"\ny\"\"\"\nlast,row");
  CCSVReader reader(&text);
  ASSERT_TRUE(reader.ReadRow());
  EXPECT_EQ("a|1\r\n2|", Fields(reader));
  ASSERT_TRUE(reader.ReadRow());
  EXPECT_EQ("b|x\"\r\ny\"|", Fields(reader));
  ASSERT_TRUE(reader.ReadRow());  // no final line end
  EXPECT_EQ("last|row|", Fields(reader));
  EXPECT_FALSE(reader.ReadRow());
  for (std::string bad : {std::string("bad,\"never\r\nclosed\r\n"), std::string(10000, 'x') + "\r\nafter\r\n"}) {
    CTextReader in("k,v\r\n" + bad);
    CCSVReader r(&in);
    EXPECT_TRUE(r.ReadRow());
    EXPECT_FALSE(r.ReadRow());  // neither the open record nor what follows the long line
  }
}

TEST(CsvEditer, LoadAndSaveAreByteExactAndReplaceTheFileInOneStep) {
  TempFile original, copy, other;
  original.Put(kDocument);
  CCSVSection doc;
  ASSERT_TRUE(doc.Load(original.Path()));
  EXPECT_EQ(12, doc.GetLineCount());  // the quoted line break stays inside one record
  CCharString s;
  EXPECT_STREQ("line1\r\nline2 ソ", doc.GetString(s, "設定", "multi", 0));
  EXPECT_STREQ("say \"hi\"", doc.GetString(s, "設定", "quote", 0));
  EXPECT_STREQ("表示", doc.GetString(s, "設定", "name", 1));
  ASSERT_TRUE(doc.Save(copy.Path()));
  EXPECT_EQ(std::string(kDocument), copy.Get());
  CCSVEditer more;
  EXPECT_FALSE(more.Load(other.Path()));  // missing
  EXPECT_TRUE(more.Load(copy.Path()) && more.Load(copy.Path()));  // appends
  EXPECT_EQ(24, more.GetLineCount());
  std::string bytes;  // binary bytes load without harm
  for (int i = 0; i < 20000; ++i) bytes += static_cast<char>((i * 7919 + i / 13) & 0xFF);
  other.Put(bytes);
  EXPECT_TRUE(doc.Load(other.Path()));
  for (int i = 0; i < doc.GetLineCount(); ++i) doc.FindKey(nullptr, "k", i, nullptr);

  std::string path = std::string(copy.Path()) + "表.csv";  // a 0x5C trail byte in the name
  int nLeftovers = SaveLeftovers();
  CCSVEditer small;
  EXPECT_TRUE(small.SetRowV(2, "new", "row"));
  ASSERT_TRUE(small.Save(path.c_str()));
  ASSERT_TRUE(MoveFileExA(path.c_str(), other.Path(), MOVEFILE_REPLACE_EXISTING));
  // While another program holds the file open, the new content cannot take
  // its place: the save fails, the old file stays whole, no temporary file stays.
  HANDLE hHold = CreateFileA(other.Path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_EXISTING, 0, NULL);
  EXPECT_TRUE(small.SetRowV(1, "newer"));
  EXPECT_FALSE(small.Save(other.Path()));
  CloseHandle(hHold);
  EXPECT_EQ("new,row\r\n", other.Get());
  EXPECT_EQ(nLeftovers, SaveLeftovers());
  EXPECT_FALSE(small.Save((std::string(other.Path()) + "\\x.csv").c_str()));  // no such folder
  ASSERT_TRUE(small.Save(other.Path()));
  EXPECT_EQ("newer\r\n", other.Get());
}

TEST(CsvSection, BuildsLooksUpAndDeletes) {
  CCSVSection doc;
  EXPECT_TRUE(doc.SetValueV("S", "k", 1, "v"));
  EXPECT_TRUE(doc.SetValueV("T", "q", 2, "a\"b", ""));
  // A key added to S lands before the empty line that precedes [ T ].
  EXPECT_TRUE(doc.SetValueV("S", "k3", 0));
  EXPECT_TRUE(doc.SetValueV("S", "k", 1, "x y"));
  EXPECT_EQ("# MULTI SECTION CSV FORMAT\n\n[ S ]\nk,\"x y\"\nk3\n\n[ T ]\nq,\"a\"\"b\",\n", Lines(doc));
  Array<CCharString> values, got;
  values.Add("1");
  values.Add("2");
  EXPECT_TRUE(doc.SetValues("T", "list", values));
  EXPECT_EQ(2, doc.GetValues("T", "list", &got));
  EXPECT_STREQ("2", got.GetAt(1));
  EXPECT_EQ(-1, doc.GetValues("T", "none", nullptr));

  CCSVSection d;
  for (const char* line : {"# title", "top,0", "[ A ]", "a,1", "ab,12ab", "e,", "# c,9", "", "[S]", "s,2",
                           "[ s ]", "t,3", "[ B ]", "b,x"})
    d.aLines.Add(line);
  EXPECT_EQ(-1, d.FindSection("S"));   // "[S]" is no header ...
  EXPECT_EQ(10, d.FindSection("s"));   // "[ s ]" is found only for s
  EXPECT_TRUE(d.FindEntry("A", "s"));  // ... nor the end of section A
  EXPECT_FALSE(d.FindEntry("A", "t"));  // "[ s ]" ends it
  EXPECT_EQ(9, d.nRow);                 // the insertion point: before the last key row
  EXPECT_EQ(12, d.GetInt("A", "ab", 0, 7));
  EXPECT_EQ(7, d.GetInt("A", "e", 0, 7));
  EXPECT_FALSE(d.FindEntry("A", "# c"));  // comments are skipped
  Array<CCharString> names;
  EXPECT_EQ(3, d.GetSectionNames(nullptr, &names));
  EXPECT_EQ(5, d.GetKeys("A", nullptr, nullptr));
  EXPECT_TRUE(d.DeleteKey("A", "ab"));
  EXPECT_FALSE(d.DeleteKey("A", "ab"));
  d.nRow = 100;
  EXPECT_EQ(1, d.DeleteSection("B"));  // the last section, through the last line
  EXPECT_EQ(1, d.DeleteSection("s"));
  EXPECT_EQ(-1, d.DeleteSection("B"));
  EXPECT_EQ(d.GetLineCount(), d.nRow);
  EXPECT_EQ("# title\ntop,0\n[ A ]\na,1\ne,\n# c,9\n\n[S]\ns,2\n", Lines(d));
  d.aLines.Add("[ ");  // a header too short for a name
  EXPECT_EQ(2, d.GetSectionNames(nullptr, nullptr));
}
