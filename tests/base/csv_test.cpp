#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "base/csv_editer.h"
#include "base/csv_reader.h"
#include "base/csv_section.h"
#include "base/csv_writer.h"
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
    "# MULTI SECTION CSV FORMAT\r\n"
    "# 表示の設定\r\n"
    "\r\n"
    "[ 設定 ]\r\n"
    "name,\"a b\",表示\r\n"
    "quote,\"say \"\"hi\"\"\",x\r\n"
    "multi,\"line1\r\nline2 ソ\",end\r\n"
    "\r\n"
    "[ foreign ]\r\n"
    "anything, goes,,\r\n"
    "[S]\r\n"
    "\r\n";

}  // namespace

TEST(CsvRow, FormatAndSplit) {
  CCSVRowIF row;
  EXPECT_EQ(-1, row.nFieldCount);
  EXPECT_EQ(nullptr, row.GetFieldPtr(0));
  const char* three[] = {"a b", "", "c\"d"};
  CCharString s;
  EXPECT_STREQ("\"a b\",,\"c\"\"d\"", row.FormatRow(s, 3, three));
  EXPECT_TRUE(row.SetRow(3, three));
  EXPECT_EQ("a b||c\"d|", Fields(row));
  EXPECT_TRUE(row.SetRowV(3, "x,y", "\t", "表 示"));
  EXPECT_STREQ("\"x,y\",\t,\"表 示\"", row.sRow);
  EXPECT_STREQ("表 示", row.GetField(2));
  EXPECT_STREQ("", row.GetField(s, 3));
  EXPECT_STREQ("", row.GetField(-1));
  EXPECT_FALSE(row.SetRow(-1, three));

  EXPECT_EQ("k|", Split("k,"));
  EXPECT_EQ("k||v|", Split("k,,v"));
  EXPECT_EQ("|x|", Split("\"\",x"));
  EXPECT_EQ("ab,c|", Split("\"a\"b,c"));
  EXPECT_EQ("ab|", Split("a\"b"));
  EXPECT_EQ("a\"b|", Split("a\"\"b"));
  EXPECT_EQ("", Split(""));
  // Hostile rows: a lead byte right before the end, a quote never closed,
  // 10,000 bytes, 600 fields (the first 512 are kept).
  EXPECT_EQ("a\x95|", Split("a\x95"));
  EXPECT_EQ("open, never closed|", Split("\"open, never closed"));
  EXPECT_EQ(std::string(10000, 'x') + "|", Split(std::string(10000, 'x')));
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += std::to_string(i) + ",";
  row.sRow = wide.c_str();
  row.ParseRow();
  EXPECT_EQ(512, row.nFieldCount);
  EXPECT_STREQ("511", row.GetFieldPtr(511));
  EXPECT_EQ(nullptr, row.GetFieldPtr(512));
}

TEST(CsvReader, RecordsRunOverLines) {
  CTextReader text("a,\"1\r\n2\"\r\nb,\"x\"\"\ny\"\"\"\nlast,row");
  CCSVReader reader(&text);
  ASSERT_TRUE(reader.ReadRow());
  EXPECT_EQ("a|1\r\n2|", Fields(reader));
  EXPECT_EQ(2, reader.nRecordLines);
  ASSERT_TRUE(reader.ReadRow());
  EXPECT_EQ("b|x\"\r\ny\"|", Fields(reader));
  ASSERT_TRUE(reader.ReadRow());  // no final line end
  EXPECT_EQ("last|row|", Fields(reader));
  EXPECT_FALSE(reader.ReadRow());
  EXPECT_EQ(3, reader.nRow);

  CTextReader open("k,v\r\nbad,\"never\r\nclosed\r\n");
  CCSVReader openReader(&open);
  EXPECT_TRUE(openReader.ReadRow());
  EXPECT_FALSE(openReader.ReadRow());  // the open record is not returned
  CTextReader longLine("k,v\r\n" + std::string(10000, 'x') + "\r\nafter\r\n");
  CCSVReader longReader(&longLine);
  EXPECT_TRUE(longReader.ReadRow());
  EXPECT_FALSE(longReader.ReadRow());  // reading ends at the long line
}

TEST(CsvEditer, LoadAndSaveAreByteExact) {
  TempFile original, copy, other;
  original.Put(kDocument);
  ASSERT_EQ('\x5C', std::string("表")[1]);
  CCSVSection doc;
  ASSERT_TRUE(doc.Load(original.Path()));
  EXPECT_STREQ(original.Path(), doc.sFileName);
  EXPECT_EQ(12, doc.GetLineCount());  // the quoted line break stays inside one record
  EXPECT_TRUE(doc.ReadRow());         // walks the records from the cursor
  EXPECT_TRUE(doc.ReadRow());
  EXPECT_EQ("# 表示の設定|", Fields(doc));
  CCharString s;
  EXPECT_STREQ("line1\r\nline2 ソ", doc.GetString(s, "設定", "multi", 0));
  EXPECT_STREQ("say \"hi\"", doc.GetString(s, "設定", "quote", 0));
  EXPECT_STREQ("表示", doc.GetString(s, "設定", "name", 1));

  ASSERT_TRUE(doc.Save(copy.Path()));
  EXPECT_EQ(std::string(kDocument), copy.Get());
  // Changing one key keeps every other byte.
  EXPECT_TRUE(doc.SetValueV("設定", "name", 1, "b c"));
  ASSERT_TRUE(doc.Save(original.Path()));
  std::string changed(kDocument);
  changed.replace(changed.find("\"a b\",表示"), strlen("\"a b\",表示"), "\"b c\"");
  EXPECT_EQ(changed, original.Get());

  CCSVEditer more;
  EXPECT_FALSE(more.Load(other.Path()));  // missing
  other.Put("");
  EXPECT_TRUE(more.Load(other.Path()));
  EXPECT_EQ(0, more.GetLineCount());
  EXPECT_TRUE(more.Load(copy.Path()));
  EXPECT_TRUE(more.Load(copy.Path()));  // appends
  EXPECT_EQ(24, more.GetLineCount());
  // Binary bytes load without harm.
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += static_cast<char>((i * 7919 + i / 13) & 0xFF);
  other.Put(bytes);
  EXPECT_TRUE(doc.Load(other.Path()));
  for (int i = 0; i < doc.GetLineCount(); ++i) doc.FindKey(nullptr, "k", i, nullptr);
}

TEST(CsvEditer, SaveReplacesTheFileInOneStep) {
  TempFile old;
  std::string path = std::string(old.Path()) + "表.csv";  // a 0x5C trail byte in the name
  int nLeftovers = SaveLeftovers();
  CCSVEditer doc;
  EXPECT_TRUE(doc.SetRowV(2, "new", "row"));
  ASSERT_TRUE(doc.Save(path.c_str()));
  ASSERT_TRUE(MoveFileExA(path.c_str(), old.Path(), 0));
  EXPECT_EQ("new,row\r\n", old.Get());
  EXPECT_EQ(nLeftovers, SaveLeftovers());  // no temporary file left

  // While another program holds the file open, the new content cannot take
  // its place: the save fails and the old file stays whole.
  HANDLE hHold = CreateFileA(old.Path(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0,
                             NULL);
  EXPECT_TRUE(doc.SetRowV(1, "newer"));
  EXPECT_FALSE(doc.Save(old.Path()));
  CloseHandle(hHold);
  EXPECT_EQ("new,row\r\n", old.Get());
  EXPECT_EQ(nLeftovers, SaveLeftovers());
  EXPECT_FALSE(doc.Save((std::string(old.Path()) + "\\x.csv").c_str()));  // no such folder
  EXPECT_FALSE(doc.Save(""));
  ASSERT_TRUE(doc.Save(old.Path()));
  EXPECT_EQ("newer\r\n", old.Get());
}

TEST(CsvSection, BuildsTheDocument) {
  CCSVSection doc;
  EXPECT_TRUE(doc.SetValueV("S", "k", 1, "v"));
  EXPECT_EQ("# MULTI SECTION CSV FORMAT\n\n[ S ]\nk,v\n", Lines(doc));
  EXPECT_TRUE(doc.SetValueV("S", "k2", 1, "x y"));
  EXPECT_TRUE(doc.SetValueV("T", "q", 2, "a\"b", ""));
  // A key added to S lands before the empty line that precedes [ T ].
  EXPECT_TRUE(doc.SetValueV("S", "k3", 0));
  EXPECT_TRUE(doc.SetValueV("S", "k", 1, "replaced"));
  EXPECT_EQ("# MULTI SECTION CSV FORMAT\n\n[ S ]\nk,replaced\nk2,\"x y\"\nk3\n\n[ T ]\nq,\"a\"\"b\",\n", Lines(doc));
  CCharString s;
  EXPECT_STREQ("x y", doc.GetString(s, "S", "k2", 0));
  EXPECT_STREQ("a\"b", doc.GetString(s, "T", "q", 0));
  EXPECT_STREQ("", doc.GetString(s, "T", "q", -1));

  Array<CCharString> values, got;
  values.Add("1");
  values.Add("2");
  EXPECT_TRUE(doc.SetValues("T", "list", values));
  EXPECT_EQ(2, doc.GetValues("T", "list", &got));
  EXPECT_STREQ("2", got.GetAt(1));
  EXPECT_EQ(2, doc.GetValues("T", "list", nullptr));  // the number of values both ways
  EXPECT_EQ(-1, doc.GetValues("T", "none", nullptr));
  EXPECT_FALSE(doc.SetValue("T", "k", -1, nullptr));
}

TEST(CsvSection, LookupsAndDeletes) {
  CCSVSection doc;
  const char* lines[] = {"# title", "top,0", "[ A ]", "a,1", "ab,12ab", "e,", "# c,9", "",
                         "[S]",     "s,2",   "[ s ]", "t,3", "[ B ]",   "b,x"};
  for (const char* line : lines) doc.aLines.Add(line);
  EXPECT_EQ(-1, doc.FindSection("S"));   // "[S]" is no header ...
  EXPECT_EQ(10, doc.FindSection("s"));   // "[ s ]" is found only for s
  EXPECT_TRUE(doc.FindEntry("A", "s"));  // ... nor the end of section A
  EXPECT_EQ(9, doc.nRow);
  EXPECT_FALSE(doc.FindEntry("A", "t"));  // "[ s ]" ends it
  EXPECT_EQ(9, doc.nRow);                 // the insertion point: before the last key row
  EXPECT_EQ(12, doc.GetInt("A", "ab", 0, 7));
  EXPECT_EQ(7, doc.GetInt("A", "e", 0, 7));
  EXPECT_EQ(7, doc.GetInt("A", "missing", 0, 7));
  EXPECT_FALSE(doc.FindEntry("A", "# c"));  // comments are skipped
  EXPECT_FALSE(doc.FindEntry("Z", nullptr));
  EXPECT_EQ(doc.GetLineCount(), doc.nRow);

  Array<CCharString> names, keys;
  EXPECT_EQ(3, doc.GetSectionNames(nullptr, &names));
  EXPECT_STREQ("s", names.GetAt(1));
  EXPECT_EQ(5, doc.GetKeys("A", nullptr, &keys));
  EXPECT_STREQ("[S]", keys.GetAt(3));
  EXPECT_EQ(-1, doc.GetKeys("Z", nullptr, nullptr));

  EXPECT_TRUE(doc.DeleteKey("A", "ab"));
  EXPECT_EQ(doc.GetLineCount(), doc.nRow);
  EXPECT_FALSE(doc.DeleteKey("A", "ab"));
  doc.nRow = 100;
  EXPECT_EQ(1, doc.DeleteSection("B"));  // the last section, through the last line
  EXPECT_EQ(1, doc.DeleteSection("s"));
  EXPECT_EQ(-1, doc.DeleteSection("B"));
  EXPECT_EQ(doc.GetLineCount(), doc.nRow);
  EXPECT_EQ("# title\ntop,0\n[ A ]\na,1\ne,\n# c,9\n\n[S]\ns,2\n", Lines(doc));
  doc.aLines.Add("[ ");  // a header too short for a name
  EXPECT_EQ(2, doc.GetSectionNames(nullptr, nullptr));
}

TEST(CsvWriter, WritesRowsToAFileOrAStream) {
  TempFile file;
  {
    CCSVWriter writer;
    EXPECT_FALSE(writer.WriteRow());  // nothing opened
    ASSERT_TRUE(writer.Open(file.Path()));
    EXPECT_TRUE(writer.SetRowV(2, "名前 付き", "host.example"));
    EXPECT_TRUE(writer.WriteRow());
    EXPECT_TRUE(writer.SetRowV(2, "n", "h"));
    EXPECT_TRUE(writer.WriteRow());
    EXPECT_EQ(2, writer.nRow);
  }
  EXPECT_EQ("\"名前 付き\",host.example\r\nn,h\r\n", file.Get());
  CCSVReader reader;
  ASSERT_TRUE(reader.Open(file.Path()));
  ASSERT_TRUE(reader.ReadRow());
  EXPECT_EQ("名前 付き|host.example|", Fields(reader));

  CTextWriter sink;
  sink.nRoom = 5;
  CCSVWriter writer(&sink);
  EXPECT_TRUE(writer.SetRowV(1, "abc"));
  EXPECT_TRUE(writer.WriteRow());
  EXPECT_FALSE(writer.WriteRow());  // short write
  EXPECT_EQ(1, writer.nRow);
}
