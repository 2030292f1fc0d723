#include "base/memory_file.h"

#include <gtest/gtest.h>
#include <limits.h>

#include <string>

TEST(MemoryFile, ReadsToTheEndKeepsTwoZerosAndHonoursItsMode) {
  CMemoryFile f, r, w;
  EXPECT_EQ(-1, f.GetLength());
  EXPECT_EQ(3, f.Write("abc", 3));  // opens itself read-write
  EXPECT_EQ(0, f.pData[3] | f.pData[4]);
  f.Seek(-5, CGenericFile::seekBegin);  // clamped to the start
  char buf[10];
  EXPECT_EQ(3, f.Read(buf, 10));
  EXPECT_TRUE(f.IsEOF());  // set with the bytes that reach the end
  EXPECT_EQ(-1, f.Read(buf, -1));
  r.Open(NULL, CGenericFile::modeRead);
  w.Open(NULL, CGenericFile::modeWrite);
  EXPECT_EQ(-1, r.Write("a", 1));
  EXPECT_EQ(-1, w.Read(buf, 1));
}

TEST(MemoryFile, GrowthStepsMaximumAndRefusedWrites) {
  std::string bytes(2000, 'x');
  CMemoryFile f, g, s;
  f.SetGrowth(256, 0);
  f.Write(bytes.data(), 260);
  f.Write(bytes.data(), 1000);  // 748 short at 512: three whole steps
  EXPECT_EQ(1280, f.GetCapacity());
  EXPECT_EQ(20, f.FreeExtra());
  g.SetGrowth(256, 300);
  EXPECT_EQ(-1, g.Write(bytes.data(), 512));  // past the maximum: refused whole
  EXPECT_EQ(0, g.GetLength());
  g.Write(bytes.data(), 290);
  EXPECT_EQ(300, g.GetCapacity());  // the growth is cut to the maximum
  g.Seek(10, CGenericFile::seekBegin);
  EXPECT_EQ(-1, g.Write("c", INT_MAX));  // position + count overflows 32 bits
  EXPECT_EQ(-1, g.Write(NULL, 1));
  EXPECT_FALSE(g.SetLength(301));
  EXPECT_TRUE(g.SetLength(2));
  EXPECT_EQ(2, g.GetPosition());
  g.ReleaseBuffer(100000);  // beyond the block: cut to the capacity
  EXPECT_EQ(300, g.GetLength());
  s.SetGrowth(4, 0);
  s.Write("abcd", 4);
  EXPECT_EQ(4, s.Write(s.pData, 4));  // its own bytes, from the block the growth frees
  EXPECT_STREQ("abcdabcd", s.pData);
}
