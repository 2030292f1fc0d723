#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "base/cache_reader.h"
#include "base/file_reader.h"
#include "base/file_writer.h"
#include "base/filter_reader.h"
#include "temp_file.h"

namespace {

// Serves a text and counts its reads; with bEarlyEnd it reports the end
// together with the last bytes.
class TextReader : public CStreamReader {
public:
  explicit TextReader(std::string t, bool earlyEnd = false) : text(std::move(t)), bEarlyEnd(earlyEnd) {}
  int Read(void* pBuffer, int nCount) override {
    if (++nReads == nFailAt) return -1;
    int n = (int)text.size() - nPos < nCount ? (int)text.size() - nPos : nCount;
    memcpy(pBuffer, text.data() + nPos, n);
    nPos += n;
    if (n == 0 || (bEarlyEnd && nPos == (int)text.size())) bEOF = TRUE;
    return n;
  }
  BOOL IsOpen() const override { return TRUE; }
  int WaitForData(int) override { return 42; }

  std::string text;
  bool bEarlyEnd;
  int nPos = 0, nReads = 0, nFailAt = 0;
};

// The lines ReadLine() gives until it fails, each followed by '|'.
std::string Lines(CStreamReader& r) {
  std::string all;
  while (r.ReadLine()) all += std::string(r.GetLine()) + "|";
  return all;
}

}  // namespace

TEST(StreamReader, LinesEndAtLfAndDropCr) {
  TextReader r("a\r\nb\nc\rd");  // the last line needs no LF
  EXPECT_EQ("a|b|cd|", Lines(r));
  TextReader crlf("\r\n");
  EXPECT_EQ("|", Lines(crlf));
  TextReader inner("x\n");
  CFilterReader filter(&inner);
  EXPECT_EQ("x|", Lines(filter));
  EXPECT_TRUE(filter.IsEOF());  // follows the inner reader
}

TEST(StreamReader, LineLengthLimit) {
  TextReader r(std::string(256, 'y') + "\n" + std::string(4095, 'x') + "\n" + std::string(4096, 'z') + "\nrest");
  EXPECT_TRUE(r.ReadLine());
  EXPECT_EQ(256u, strlen(r.GetLine()));
  EXPECT_EQ(512, r.nLineCapacity);
  EXPECT_TRUE(r.ReadLine());
  EXPECT_EQ(std::string(4095, 'x'), r.GetLine());
  EXPECT_FALSE(r.ReadLine());  // 4096 bytes consumed, the LF stays
  EXPECT_EQ("|rest|", Lines(r));

  TextReader s("123456789\n12345678\n");
  EXPECT_EQ(4096, s.SetMaxLineLength(9));
  EXPECT_EQ(9, s.SetMaxLineLength(0));  // refused
  EXPECT_FALSE(s.ReadLine());
  EXPECT_EQ("|12345678|", Lines(s));
}

TEST(StreamReader, ReadLineIntoTheCallersBuffer) {
  TextReader r("abcdef\n");
  char buf[8] = "zzzzzzz";
  EXPECT_EQ(3, r.ReadLine(buf, 3));
  EXPECT_EQ(0, memcmp(buf, "abcz", 4));  // no terminator when the buffer is full
  EXPECT_EQ(3, r.ReadLine(buf, 8));
  EXPECT_STREQ("def", buf);
  EXPECT_EQ(0, r.ReadLine(buf, 0));
  EXPECT_EQ(-1, r.ReadLine(NULL, 4));
  TextReader failing("abc");
  failing.nFailAt = 2;
  EXPECT_EQ(-1, failing.ReadLine(buf, 8));
}

TEST(CacheReader, OneRefillPerReadAndEndAfterTheLastByte) {
  TextReader inner("0123456789");
  CCacheReader cache(&inner, 4);
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

  TextReader early("abc", true);
  CCacheReader c2(&early, 8);
  EXPECT_EQ(1, c2.Read(buf, 1));
  EXPECT_EQ(2, c2.Read(buf, 8));  // held bytes are served after exhaustion
  EXPECT_EQ(0, c2.Read(buf, 8));
  TextReader broken("abc");
  broken.nFailAt = 1;
  CCacheReader c3(&broken, -5);
  EXPECT_EQ(1024, c3.nCacheSize);
  EXPECT_EQ(-1, c3.Read(buf, 1));
  EXPECT_FALSE(c3.IsEOF());
}

TEST(FileReader, ReadsADiskFileThroughACache) {
  TempFile lines, three, missing;
  lines.Put("one\r\ntwo");
  CFileReader r;
  ASSERT_TRUE(r.Open(lines.Path()));
  CCacheReader cache(&r, 1024);
  EXPECT_EQ("one|two|", Lines(cache));

  three.Put("abc");
  CFileReader r3;
  r3.Open(three.Path());
  CCacheReader c3(&r3, -1);
  char buf[10];
  EXPECT_EQ(3, c3.Read(buf, 10));
  EXPECT_FALSE(c3.IsEOF());
  EXPECT_EQ(0, c3.Read(buf, 10));
  EXPECT_TRUE(c3.IsEOF());

  CFileReader none;
  EXPECT_FALSE(none.Open(missing.Path()));
  EXPECT_NE(nullptr, none.pFile);  // stays attached
  EXPECT_EQ(-1, none.Read(buf, 1));
}

namespace {
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

TEST(StreamWriter, WriteAllCutsIntoChunksAndStopsOnNoProgress) {
  PieceWriter w;
  w.nChunkSize = 3;
  EXPECT_TRUE(w.WriteAll("0123456789", 10));
  EXPECT_EQ("3,3,3,1,", w.asked);
  w.asked.clear();
  w.nChunkSize = -1;
  w.nAccept = 4;
  EXPECT_TRUE(w.WriteAll("0123456789", 10));
  EXPECT_EQ("10,6,2,", w.asked);
  w.nAccept = 0;
  EXPECT_FALSE(w.WriteAll("x", 1));
}

TEST(FileWriter, CreateEmptiesAndOpenAppendKeeps) {
  TempFile tmp, log;
  tmp.Put("old content");
  {
    CFileWriter w;
    ASSERT_TRUE(w.Create(tmp.Path()));
    EXPECT_TRUE(w.WriteAll("new", 3));
    EXPECT_EQ("new", tmp.Get());  // others may read meanwhile
  }
  for (const char* text : {"a", "b"}) {
    CFileWriter w;
    ASSERT_TRUE(w.OpenAppend(log.Path()));  // created when missing, then kept
    w.Write(text, 1);
  }
  EXPECT_EQ("ab", log.Get());

  CFileWriter bad;
  EXPECT_FALSE(bad.Create("Z:\\no\\such\\folder\\file.txt"));
  EXPECT_EQ(-1, bad.Write("x", 1));
  CDiskFile given;
  ASSERT_TRUE(given.Open(tmp.Path(), CGenericFile::modeReadWrite));
  { CFileWriter w(&given); }
  EXPECT_TRUE(given.IsOpen());  // not owned, not closed
}
