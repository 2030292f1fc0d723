// Nothing written is read back changed, and nothing a load did not read is
// lost by a save: last lines of every length, random rows and documents,
// and the unread rest after an over-long line, a full document or an open
// quote.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/csv_editer.h"
#include "base/csv_section.h"
#include "support/csv_round_trip.h"
#include "support/text_streams.h"
#include "temp_file.h"

using namespace csv_round_trip;

TEST(RoundTrip, ALastLineWithoutLfIsALineWhateverItsLength) {
  TempFile file;
  for (int n : {1, 255, 256, 257, 511, 512, 1024, 2048, 4095}) {
    SCOPED_TRACE(n);
    CTextReader text("k\n" + std::string(n, 'x') + "\r");
    EXPECT_TRUE(text.ReadLine());
    ASSERT_TRUE(text.ReadLine());
    EXPECT_EQ(std::string(n, 'x'), text.GetLine());
    EXPECT_FALSE(text.ReadLine());
    file.Put("k,v\r\n" + std::string(n, 'y'));
    CCSVEditer doc;
    ASSERT_TRUE(doc.Load(file.Path()));
    EXPECT_EQ(2, doc.GetLineCount());
    EXPECT_TRUE(doc.restUnread.IsEmpty());
  }
  CTextReader text(std::string(4096, 'x'));
  EXPECT_FALSE(text.ReadLine());  // over-long
}

TEST(RoundTrip, RandomRowsAndDocuments) {
  TempFile file, copy;
  std::mt19937 r(17);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ("", CheckRow(RandomRow(r)));
  for (int i = 0; i < 60; ++i) {
    std::vector<Row> rows(1 + r() % 20);
    for (Row& row : rows) row = RandomRow(r);
    ASSERT_EQ("", CheckDocument(rows, file.Path()));
  }
  // Files of random bytes, some with lines over the limit.
  for (int i = 0; i < 60; ++i) {
    std::string bytes(r() % 12000, 0);
    unsigned every = 1 + r() % 6000;
    for (char& c : bytes) c = static_cast<char>(r() % every == 0 ? '\n' : r() % 50 == 0 ? '"' : r());
    ASSERT_EQ("", CheckReload(bytes, file.Path(), copy.Path()));
  }
  // A lead byte never takes a separator, a quote or a line end as its trail.
  CCSVRowIF row;
  row.sRow = "a\x95,\"b \x83\",c\x95";
  row.ParseRow();
  EXPECT_EQ(Describe({"a\x95", "b \x83", "c\x95"}), Describe(Fields(row)));
}

TEST(RoundTrip, ASaveKeepsWhatTheLoadDidNotRead) {
  TempFile file, copy;
  const std::string rest = std::string(5000, 'L') + "\r\n[ foreign ]\r\nk,\"v\r\n# note\rno final line end";
  file.Put("# MULTI SECTION CSV FORMAT\r\n\r\n[ S ]\r\na,1\r\n" + rest);
  CCSVSection doc;
  ASSERT_TRUE(doc.Load(file.Path()));
  EXPECT_EQ(4, doc.GetLineCount());
  EXPECT_FALSE(doc.Load(file.Path()));  // its lines would have to follow the rest
  EXPECT_TRUE(doc.SetValueV("S", "a", 1, "2"));
  EXPECT_TRUE(doc.SetValueV("S", "b", 1, "x"));
  ASSERT_TRUE(doc.Save(file.Path()));
  EXPECT_EQ("# MULTI SECTION CSV FORMAT\r\n\r\n[ S ]\r\na,2\r\nb,x\r\n" + rest, file.Get());

  // A quote open at the end; a document past its 65,536 lines.
  std::string lines;
  for (int i = 0; i < 70000; ++i) lines += "n," + std::to_string(i) + "\r\n";
  for (const std::string& text : std::vector<std::string>{"a,1\r\nb,\"open\r\nc,3\r\n", lines}) {
    file.Put(text);
    CCSVEditer editer;
    ASSERT_TRUE(editer.Load(file.Path()));
    ASSERT_TRUE(editer.Save(copy.Path()));
    EXPECT_TRUE(text == copy.Get());
  }

  // A rest too large to keep: the save is refused and the file untouched.
  file.Put(std::string(4096, 'L') + std::string(CUnreadRest::kMaxBytes, 'x'));
  copy.Put("before");
  CCSVEditer big;
  ASSERT_TRUE(big.Load(file.Path()));
  EXPECT_TRUE(big.restUnread.IsLost());
  EXPECT_FALSE(big.Save(copy.Path()));
  EXPECT_EQ("before", copy.Get());
}
