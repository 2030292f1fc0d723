// The memory file (the strings' storage) and the disk file under the readers and writers.
#include <limits.h>

#include "base/disk_file.h"
#include "base/memory_file.h"
#include "client/temp_folder.h"
#include "support/suite.h"

TEST(MemoryFile, ReadsToTheEndKeepsTwoZerosGrowsInStepsAndRefusesWholly) {
  CMemoryFile f, r, steps, g, s;
  EXPECT_EQ(3, f.Write("abc", 3));  // opens itself read-write
  EXPECT_EQ(0, f.pData[3] | f.pData[4]);
  f.Seek(-5, CGenericFile::seekBegin);  // clamped to the start
  char buf[10];
  EXPECT_EQ(3, f.Read(buf, 10));
  EXPECT_TRUE(f.IsEOF());  // set with the bytes that reach the end
  r.Open(NULL, CGenericFile::modeRead);
  EXPECT_EQ(-1, r.Write("a", 1));
  std::string bytes(2000, 'x');
  steps.SetGrowth(256, 0);
  steps.Write(bytes.data(), 260);
  steps.Write(bytes.data(), 1000);  // 748 short at 512: three whole steps
  EXPECT_EQ(1280, steps.GetCapacity());
  g.SetGrowth(256, 300);
  EXPECT_EQ(-1, g.Write(bytes.data(), 512));  // past the maximum: refused whole
  EXPECT_EQ(0, g.GetLength());
  g.Write(bytes.data(), 290);
  EXPECT_EQ(300, g.GetCapacity());  // the growth is cut to the maximum
  g.Seek(10, CGenericFile::seekBegin);
  EXPECT_EQ(-1, g.Write("c", INT_MAX));  // position + count overflows 32 bits
  g.ReleaseBuffer(100000);  // beyond the block: cut to the capacity
  EXPECT_EQ(300, g.GetLength());
  s.SetGrowth(4, 0);
  s.Write("abcd", 4);
  EXPECT_EQ(4, s.Write(s.pData, 4));  // its own bytes, from the block the growth frees
  EXPECT_STREQ("abcdabcd", s.pData);
}

TEST(DiskFile, ModesEndOfFileAndSharing) {
  CTempFolder folder;
  const std::string path = folder.Path() + "f", locked = folder.Path() + "locked";
  CDiskFile f, reader;
  EXPECT_FALSE(f.Open(path.c_str(), CGenericFile::modeRead));  // missing
  ASSERT_TRUE(f.Open(path.c_str(), CGenericFile::modeReadWrite));  // created
  f.Write("0123456789", 10);
  ASSERT_TRUE(reader.Open(path.c_str(), CGenericFile::modeRead));  // others may read meanwhile
  char buf[16];
  EXPECT_EQ(0, reader.Read(buf, 0));
  EXPECT_FALSE(reader.IsEOF());  // reading nothing says nothing about the end
  EXPECT_EQ(10, reader.Read(buf, 16));
  EXPECT_FALSE(reader.IsEOF());
  EXPECT_EQ(0, reader.Read(buf, 16));
  EXPECT_TRUE(reader.IsEOF());
  ASSERT_TRUE(f.Open(path.c_str(), CGenericFile::modeReadWrite));  // kept
  EXPECT_EQ(10, reader.GetLength());
  ASSERT_TRUE(f.Open(path.c_str(), CGenericFile::modeWrite));  // emptied
  EXPECT_EQ(0, reader.GetLength());
  EXPECT_TRUE(f.Close());
  HANDLE h = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  EXPECT_FALSE(f.Open(locked.c_str(), CGenericFile::modeRead));  // a handle that shares nothing
  CloseHandle(h);
}
