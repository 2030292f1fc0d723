// Line reading with its limit, cache refills (one per read: a socket is never waited on twice), writing all.
#include "base/cache_reader.h"
#include "base/stream_writer.h"
#include "support/suite.h"
#include "support/text_streams.h"

namespace {
std::string Lines(CStreamReader& r) {
  std::string all;
  while (r.ReadLine()) all += std::string(r.GetLine()) + "|";  // until it fails
  return all;
}

// Accepts at most nAccept bytes per call and records the sizes asked for.
struct CPieceWriter : CStreamWriter {
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
  CTextReader r("a\r\nb\nc\rd");  // the last line needs no LF
  EXPECT_EQ("a|b|cd|", Lines(r));
  CTextReader big(std::string(4095, 'x') + "\n" + std::string(4096, 'z') + "\nrest");
  EXPECT_EQ(std::string(4095, 'x') + "|", Lines(big));  // then 4096 bytes fail: consumed, the LF stays
  EXPECT_EQ("|rest|", Lines(big));
}

TEST(CacheReader, OneRefillPerReadAndEndAfterTheLastByte) {
  CTextReader inner("0123456789"), early("abc", true), broken("abc");
  CCacheReader cache(&inner, 4), c2(&early, 8), c3(&broken, -5);
  char buf[16];
  EXPECT_EQ(4, cache.Read(buf, 10));  // one refill, not two
  EXPECT_EQ(42, cache.WaitForData(0));  // nothing held: the inner reader answers
  EXPECT_EQ(1, cache.Read(buf, 1));
  EXPECT_EQ(3, cache.WaitForData(0));  // held bytes answer
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
}

TEST(StreamWriter, WriteAllGoesOnAfterShortWritesAndStopsWithoutProgress) {
  CPieceWriter w;
  w.nAccept = 4;
  EXPECT_TRUE(w.WriteAll("0123456789", 10));
  EXPECT_EQ("10,6,2,", w.asked);
  w.nAccept = 0;
  EXPECT_FALSE(w.WriteAll("x", 1));
}
