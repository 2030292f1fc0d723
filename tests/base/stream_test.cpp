#include "base/cache_reader.h"
#include "base/file_reader.h"
#include "base/file_writer.h"
#include "base/filter_reader.h"
#include "support/suite.h"
#include "support/text_streams.h"
#include "temp_file.h"

namespace {
// The lines ReadLine() gives until it fails, each followed by '|'.
std::string Lines(CStreamReader& r) {
  std::string all;
  while (r.ReadLine()) all += std::string(r.GetLine()) + "|";
  return all;
}

// Accepts at most nAccept bytes per call and records the sizes asked for.
class PieceWriter : public CStreamWriter {
 public:
  int Write(const void*, int nCount) override {
    asked += std::to_string(nCount) + ",";
    return nCount < nAccept ? nCount : nAccept;
  }
  BOOL IsOpen() const override { return TRUE; }
  BOOL WaitWritable(int) override { return TRUE; }
  std::string asked;
  int nAccept = 1 << 30;
};
}  // namespace

TEST(StreamReader, LinesEndAtLfDropCrAndHaveALengthLimit) {
  CTextReader r("a\r\nb\nc\rd"), inner("x\n");  // the last line needs no LF
  EXPECT_EQ("a|b|cd|", Lines(r));
  CFilterReader filter(&inner);
  EXPECT_EQ("x|", Lines(filter));
  EXPECT_TRUE(filter.IsEOF());  // follows the inner reader
  CTextReader big(std::string(4095, 'x') + "\n" + std::string(4096, 'z') + "\nrest"), s("123456789\n12345678\n");
  EXPECT_TRUE(big.ReadLine());
  EXPECT_EQ(std::string(4095, 'x'), big.GetLine());
  EXPECT_FALSE(big.ReadLine());  // 4096 bytes consumed, the LF stays
  EXPECT_EQ("|rest|", Lines(big));
  EXPECT_EQ(4096, s.SetMaxLineLength(9));
  EXPECT_EQ(9, s.SetMaxLineLength(0));  // refused
  EXPECT_FALSE(s.ReadLine());
  EXPECT_EQ("|12345678|", Lines(s));
  CTextReader c("abcdef\n"), failing("abc");
  char buf[8] = "zzzzzzz";
  EXPECT_EQ(3, c.ReadLine(buf, 3));
  EXPECT_EQ(0, memcmp(buf, "abcz", 4));  // no terminator when the buffer is full
  EXPECT_EQ(3, c.ReadLine(buf, 8));
  EXPECT_STREQ("def", buf);
  EXPECT_EQ(-1, c.ReadLine(NULL, 4));
  failing.nFailAt = 2;
  EXPECT_EQ(-1, failing.ReadLine(buf, 8));
}

TEST(CacheReader, OneRefillPerReadAndEndAfterTheLastByte) {
  CTextReader inner("0123456789"), early("abc", true), broken("abc");
  CCacheReader cache(&inner, 4), c2(&early, 8), c3(&broken, -5);
  char buf[16];
  EXPECT_EQ(4, cache.Read(buf, 10));  // one refill, not two
  EXPECT_EQ(42, cache.WaitForData(0));  // nothing held: the inner reader answers
  EXPECT_EQ(1, cache.Read(buf, 1));
  EXPECT_EQ(3, cache.WaitForData(0));
  EXPECT_EQ(5, cache.Read(buf, 5));  // 3 held plus 2 from one refill
  EXPECT_EQ(0, memcmp(buf, "56789", 5));
  EXPECT_FALSE(cache.IsEOF());
  EXPECT_EQ(0, cache.Read(buf, 10));
  EXPECT_TRUE(cache.IsEOF());
  EXPECT_EQ(0, cache.Read(buf, 10));
  EXPECT_EQ(4, inner.nReads);  // exhausted: no more refills
  EXPECT_EQ(1, c2.Read(buf, 1));
  EXPECT_EQ(2, c2.Read(buf, 8));  // held bytes are served after exhaustion
  broken.nFailAt = 1;
  EXPECT_EQ(-1, c3.Read(buf, 1));
  EXPECT_FALSE(c3.IsEOF());
  TempFile lines, missing;
  lines.Put("one\r\ntwo");
  CFileReader r, none;
  ASSERT_TRUE(r.Open(lines.Path()));
  CCacheReader fromFile(&r, 1024);
  EXPECT_EQ("one|two|", Lines(fromFile));
  EXPECT_FALSE(none.Open(missing.Path()));
  EXPECT_EQ(-1, none.Read(buf, 1));
}

TEST(StreamWriter, WriteAllChunksStopsOnNoProgressAndFilesCreateOrAppend) {
  PieceWriter w;
  w.nChunkSize = 3;
  EXPECT_TRUE(w.WriteAll("0123456789", 10));
  w.nChunkSize = -1;
  w.nAccept = 4;
  EXPECT_TRUE(w.WriteAll("0123456789", 10));
  EXPECT_EQ("3,3,3,1,10,6,2,", w.asked);
  w.nAccept = 0;
  EXPECT_FALSE(w.WriteAll("x", 1));
  TempFile tmp, log;
  tmp.Put("old content");
  {
    CFileWriter create;
    ASSERT_TRUE(create.Create(tmp.Path()));
    EXPECT_TRUE(create.WriteAll("new", 3));
    EXPECT_EQ("new", tmp.Get());  // others may read meanwhile
  }
  for (const char* text : {"a", "b"}) {
    CFileWriter append;
    ASSERT_TRUE(append.OpenAppend(log.Path()));  // created when missing, then kept
    append.Write(text, 1);
  }
  EXPECT_EQ("ab", log.Get());
  CDiskFile given;
  ASSERT_TRUE(given.Open(tmp.Path(), CGenericFile::modeReadWrite));
  { CFileWriter notOwning(&given); }
  EXPECT_TRUE(given.IsOpen());  // not owned: not closed
}
