// Nothing written reads back changed; what a load did not read (long line, full, open quote) a save keeps.
#include "base/csv_section.h"
#include "client/temp_folder.h"
#include "support/csv_round_trip.h"
#include "support/suite.h"

using namespace csv_round_trip;

TEST(RoundTrip, ALastLineWithoutLfIsALineWhateverItsLength) {
  CTempFolder folder;
  for (int n : {1, 255, 256, 257, 511, 512, 1024, 2048, 4095}) {
    folder.Put("f", "k,v\r\n" + std::string(n, 'y') + "\r");
    CCSVEditer doc;
    ASSERT_TRUE(doc.Load((folder.Path() + "f").c_str()));
    EXPECT_EQ(2, doc.GetLineCount()) << n;
    EXPECT_EQ(std::string(n, 'y'), std::string(doc.GetLine(1)));
    EXPECT_TRUE(doc.restUnread.IsEmpty());
  }
}

TEST(RoundTrip, RandomRowsDocumentsAndFiles) {
  CTempFolder folder;
  const std::string file = folder.Path() + "f", copy = folder.Path() + "c";
  std::mt19937 r(17);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ("", CheckRow(RandomRow(r)));
  for (int i = 0; i < 60; ++i) {
    std::vector<Row> rows(1 + r() % 20);
    for (Row& row : rows) row = RandomRow(r);
    ASSERT_EQ("", CheckDocument(rows, file.c_str()));
  }
  // Files of random bytes, some with lines over the limit.
  for (int i = 0; i < 60; ++i) {
    std::string bytes(r() % 12000, 0);
    unsigned every = 1 + r() % 6000;
    for (char& c : bytes) c = static_cast<char>(r() % every == 0 ? '\n' : r() % 50 == 0 ? '"' : r());
    ASSERT_EQ("", CheckReload(bytes, file.c_str(), copy.c_str()));
  }
}

TEST(RoundTrip, ASaveKeepsWhatTheLoadDidNotRead) {
  CTempFolder folder;
  const std::string file = folder.Path() + "f", copy = folder.Path() + "c";
  // (Edits before a rest after a long line: the client's settings test.)
  folder.Put("f", "a,1\r\n" + std::string(5000, 'L'));
  CCSVSection doc;
  ASSERT_TRUE(doc.Load(file.c_str()));
  EXPECT_FALSE(doc.Load(file.c_str()));  // its lines would have to follow the rest

  // A quote open at the end; a document past its 65,536 lines.
  std::string lines;
  for (int i = 0; i < 70000; ++i) lines += "n," + std::to_string(i) + "\r\n";
  for (const std::string& text : {std::string("a,1\r\nb,\"open\r\nc,3\r\n"), lines}) {
    folder.Put("f", text);
    CCSVEditer editer;
    ASSERT_TRUE(editer.Load(file.c_str()) && editer.Save(copy.c_str()));
    EXPECT_TRUE(text == folder.Get("c"));
  }

  // A rest too large to keep: the save is refused and the file untouched.
  folder.Put("f", std::string(4096, 'L') + std::string(CUnreadRest::kMaxBytes, 'x'));
  folder.Put("c", "before");
  CCSVEditer big;
  ASSERT_TRUE(big.Load(file.c_str()));
  EXPECT_TRUE(big.restUnread.IsLost());
  EXPECT_FALSE(big.Save(copy.c_str()));
  EXPECT_EQ("before", folder.Get("c"));
}
