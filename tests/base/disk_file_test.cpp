#include "base/disk_file.h"

#include <gtest/gtest.h>

#include "base/filter_file.h"
#include "base/memory_file.h"
#include "temp_file.h"

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
  CountedFile* pInner = new CountedFile(&nDeleted);
  {
    CFilterFile filter(pInner, TRUE);
    EXPECT_EQ(3, filter.Write("abc", 3));
    EXPECT_TRUE(filter.Seek(1, CGenericFile::seekBegin));
    char buf[4];
    EXPECT_EQ(2, filter.Read(buf, 4));
    EXPECT_TRUE(filter.IsEOF());  // follows the inner file
  }
  EXPECT_EQ(1, nDeleted);
  CountedFile kept(&nDeleted);
  CFilterFile filter(&kept, FALSE);
  EXPECT_TRUE(filter.Close());
  EXPECT_EQ(1, nDeleted);
}
