// The file classes: memory, disk and filter files.
#include <limits.h>

#include "base/disk_file.h"
#include "base/filter_file.h"
#include "base/memory_file.h"
#include "support/suite.h"
#include "temp_file.h"

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

TEST(DiskFile, ModesEndOfFileSharingAndTruncation) {
  TempFile tmp, locked;
  CDiskFile f, reader;
  EXPECT_FALSE(f.Open(tmp.Path(), CGenericFile::modeRead));  // missing
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeReadWrite));  // created
  f.Write("0123456789", 10);
  ASSERT_TRUE(reader.Open(tmp.Path(), CGenericFile::modeRead));  // others may read meanwhile
  char buf[16];
  EXPECT_EQ(0, reader.Read(buf, 0));
  EXPECT_FALSE(reader.IsEOF());  // reading nothing says nothing about the end
  EXPECT_EQ(10, reader.Read(buf, 16));
  EXPECT_FALSE(reader.IsEOF());
  EXPECT_EQ(0, reader.Read(buf, 16));
  EXPECT_TRUE(reader.IsEOF());
  EXPECT_FALSE(reader.Seek(-10, CGenericFile::seekBegin));
  EXPECT_TRUE(f.SetLength(4));
  EXPECT_EQ(4, f.GetPosition());
  f.Seek(2, CGenericFile::seekBegin);
  EXPECT_TRUE(f.Truncate());
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeReadWrite));  // kept
  EXPECT_EQ("01", tmp.Get());
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeWrite));  // emptied
  EXPECT_EQ(0, reader.GetLength());
  EXPECT_TRUE(f.Close());
  EXPECT_EQ(-1, f.Write("a", 1));
  HANDLE h = CreateFileA(locked.Path(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  EXPECT_FALSE(f.Open(locked.Path(), CGenericFile::modeRead));  // a handle that shares nothing
  CloseHandle(h);
}

namespace {
struct CountedFile : CMemoryFile {
  explicit CountedFile(int* pDeleted) : pnDeleted(pDeleted) {}
  ~CountedFile() override { ++*pnDeleted; }
  int* pnDeleted;
};
}  // namespace

TEST(FilterFile, ForwardsAndDeletesOnlyWhatItOwns) {
  int nDeleted = 0;
  {
    CFilterFile filter(new CountedFile(&nDeleted), TRUE);
    EXPECT_EQ(3, filter.Write("abc", 3));
    EXPECT_TRUE(filter.Seek(1, CGenericFile::seekBegin));
    char buf[4];
    EXPECT_EQ(2, filter.Read(buf, 4));
    EXPECT_TRUE(filter.IsEOF());  // follows the inner file
  }
  CountedFile kept(&nDeleted);
  CFilterFile(&kept, FALSE).Close();
  EXPECT_EQ(1, nDeleted);
}
