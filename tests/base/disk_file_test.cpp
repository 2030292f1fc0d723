#include "base/disk_file.h"

#include <gtest/gtest.h>

#include "base/filter_file.h"
#include "base/grow_buffer.h"
#include "base/memory_file.h"
#include "temp_file.h"

TEST(DiskFile, ModesCreateEmptyOrKeep) {
  TempFile tmp;
  CDiskFile f;
  EXPECT_FALSE(f.Open(tmp.Path(), CGenericFile::modeRead));  // missing
  EXPECT_FALSE(f.IsOpen());
  EXPECT_FALSE(f.Open(tmp.Path(), 0));
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeReadWrite));  // created
  EXPECT_STREQ(tmp.Path(), f.szFileName);
  f.Write("hello", 5);
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeReadWrite));
  EXPECT_EQ(5, f.GetLength());
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeWrite));
  EXPECT_EQ(0, f.GetLength());
  EXPECT_TRUE(f.Close());

  EXPECT_FALSE(f.Close());
  EXPECT_EQ(-1, f.Write("a", 1));
  EXPECT_EQ(-1, f.GetLength());
}

TEST(DiskFile, EofOnlyAfterTheReadThatReturnsNothing) {
  TempFile tmp;
  tmp.Put("abc");
  CDiskFile f;
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeRead));
  char buf[10];
  EXPECT_EQ(0, f.Read(buf, 0));
  EXPECT_FALSE(f.IsEOF());  // reading nothing says nothing about the end
  EXPECT_EQ(3, f.Read(buf, 10));
  EXPECT_FALSE(f.IsEOF());
  EXPECT_EQ(0, f.Read(buf, 10));
  EXPECT_TRUE(f.IsEOF());
  EXPECT_FALSE(f.Seek(-10, CGenericFile::seekCurrent));
}

TEST(DiskFile, OtherHandlesMayReadAndWriteMeanwhile) {
  TempFile tmp;
  CDiskFile writer, reader, emptier;
  ASSERT_TRUE(writer.Open(tmp.Path(), CGenericFile::modeReadWrite));
  ASSERT_TRUE(reader.Open(tmp.Path(), CGenericFile::modeRead));
  writer.Write("xyz", 3);
  char buf[8] = {0};
  EXPECT_EQ(3, reader.Read(buf, 8));
  EXPECT_STREQ("xyz", buf);
  ASSERT_TRUE(emptier.Open(tmp.Path(), CGenericFile::modeWrite));
  EXPECT_EQ(0, reader.GetLength());

  TempFile locked;  // a handle that shares nothing keeps us out
  HANDLE h = CreateFileA(locked.Path(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  CDiskFile other;
  EXPECT_FALSE(other.Open(locked.Path(), CGenericFile::modeRead));
  CloseHandle(h);
}

TEST(DiskFile, SetLengthAndTruncateKeepASensiblePosition) {
  TempFile tmp;
  CDiskFile f;
  ASSERT_TRUE(f.Open(tmp.Path(), CGenericFile::modeReadWrite));
  f.Write("0123456789", 10);
  EXPECT_TRUE(f.SetLength(4));
  EXPECT_EQ(4, f.GetPosition());
  EXPECT_TRUE(f.SetLength(8));  // grows, position stays
  EXPECT_EQ(8, f.GetLength());
  EXPECT_EQ(4, f.GetPosition());
  EXPECT_FALSE(f.SetLength(-1));
  f.Seek(2, CGenericFile::seekBegin);
  EXPECT_TRUE(f.Truncate());
  f.Close();
  EXPECT_EQ("01", tmp.Get());
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
    EXPECT_TRUE(filter.SetLength(1));
    EXPECT_EQ(1, pInner->GetLength());
  }
  EXPECT_EQ(1, nDeleted);
  CountedFile kept(&nDeleted);
  CFilterFile filter(&kept, FALSE);
  EXPECT_TRUE(filter.Close());
  EXPECT_EQ(1, nDeleted);
  EXPECT_EQ(-1, filter.GetLength());
}

TEST(GrowBuffer, OnlyGrows) {
  CGrowBuffer b;
  EXPECT_TRUE(b.Reserve(16));
  char* p = b.GetData();
  EXPECT_TRUE(b.Reserve(8) && b.Reserve(-1));  // smaller: the same block
  EXPECT_EQ(p, b.GetData());
  EXPECT_EQ(16, b.GetSize());
  EXPECT_TRUE(b.Reserve(100));
  EXPECT_EQ(100, b.GetSize());
  b.Free();
  EXPECT_EQ(nullptr, b.GetData());
}
