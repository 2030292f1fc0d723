#include "base/memory_file.h"

#include <gtest/gtest.h>
#include <limits.h>

#include <string>

TEST(MemoryFile, OpensItselfReadsToTheEndAndKeepsTwoZeros) {
  CMemoryFile f;
  EXPECT_EQ(-1, f.GetLength());
  EXPECT_EQ(3, f.Write("abc", 3));
  EXPECT_EQ(3, f.nMode);
  EXPECT_EQ(1024, f.GetCapacity());  // one default step
  EXPECT_EQ(0, f.pData[3] | f.pData[4]);
  f.Seek(0, CGenericFile::seekBegin);
  char buf[10];
  EXPECT_EQ(3, f.Read(buf, 10));
  EXPECT_TRUE(f.IsEOF());  // set with the bytes that reach the end
  EXPECT_EQ(-1, f.Read(buf, -1));
  f.Close();
  EXPECT_TRUE(f.IsEOF());  // Close keeps the flag

  CMemoryFile r, w;
  r.Open(NULL, CGenericFile::modeRead);
  w.Open(NULL, CGenericFile::modeWrite);
  EXPECT_EQ(-1, r.Write("a", 1));
  EXPECT_EQ(-1, w.Read(buf, 1));
}

TEST(MemoryFile, GrowsInWholeStepsAndAtLeastOne) {
  std::string bytes(2000, 'x');
  CMemoryFile f;
  f.SetGrowth(256, 0);
  f.Write(bytes.data(), 250);
  f.Write(bytes.data(), 10);
  EXPECT_EQ(512, f.GetCapacity());
  f.Write(bytes.data(), 1000);  // 748 short at 260: three steps
  EXPECT_EQ(1280, f.GetCapacity());
  EXPECT_EQ(20, f.FreeExtra());
  EXPECT_EQ(1260, f.GetCapacity());

  CMemoryFile g;
  g.SetGrowth(256, 300);
  EXPECT_EQ(-1, g.Write(bytes.data(), 512));  // past the maximum
  EXPECT_EQ(0, g.GetLength());
  g.Write(bytes.data(), 290);
  EXPECT_EQ(300, g.GetCapacity());  // the growth is cut to the maximum
  CMemoryFile h;
  h.SetGrowth(256, 0);
  h.Write(bytes.data(), 512);  // exactly one step short: still one more
  EXPECT_EQ(768, h.GetCapacity());
}

TEST(MemoryFile, WritesPastTheMaximumAreRefusedWhole) {
  std::string big(0x100000, 'b');
  CMemoryFile f;
  EXPECT_EQ(0x100000, f.Write(big.data(), 0x100000));
  EXPECT_EQ(-1, f.Write("c", 1));
  f.Seek(10, CGenericFile::seekBegin);
  EXPECT_EQ(-1, f.Write("c", INT_MAX));  // position + count overflows 32 bits
  EXPECT_EQ(-1, f.Write("c", -1));
  EXPECT_EQ(-1, f.Write(NULL, 1));
  EXPECT_EQ(0x100000, f.GetLength());
  EXPECT_EQ('b', f.pData[10]);

  CMemoryFile s;
  s.SetGrowth(4, 0);
  s.Write("abcd", 4);
  EXPECT_EQ(4, s.Write(s.pData, 4));  // its own bytes, from the block the growth frees
  EXPECT_STREQ("abcdabcd", s.pData);
}

TEST(MemoryFile, SeekSetLengthAndBufferStayInRange) {
  CMemoryFile f;
  f.Write("12345", 5);
  f.Seek(-5, CGenericFile::seekBegin);
  EXPECT_EQ(0, f.GetPosition());
  f.Seek(5, CGenericFile::seekEnd);
  EXPECT_EQ(5, f.GetPosition());
  f.Seek(4, CGenericFile::seekBegin);
  EXPECT_TRUE(f.SetLength(2));
  EXPECT_EQ(2, f.GetPosition());
  EXPECT_FALSE(f.SetLength(-1));
  EXPECT_FALSE(f.SetLength(0x100001));
  EXPECT_TRUE(f.SetLength(3000));
  EXPECT_EQ(3000, f.GetCapacity());

  f.SetGrowth(0, 0x800000);  // a zero step changes nothing
  EXPECT_EQ(1024, f.nGrowBy);
  f.ReleaseBuffer(100000);  // beyond the block: cut to the capacity
  EXPECT_EQ(3000, f.GetLength());
  f.ReleaseBuffer(1);
  char buf[8];
  EXPECT_EQ(0, f.Read(buf, 8));  // the position stands past the data
}
