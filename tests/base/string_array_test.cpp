#include "base/string_array.h"

#include <gtest/gtest.h>

#include <string>

namespace {
int RefCount(const CCharString& s) { return s.GetBufferFile() ? s.GetBufferFile()->nRefCount : 0; }

std::string Joined(const Array<CCharString>& a) {
  std::string text;
  for (int i = 0; i < a.GetCount(); ++i) text += std::string(a.GetAt(i)) + ",";
  return text;
}
}  // namespace

TEST(StringArray, RangeChecksAndSharedElements) {
  CCharString value("v");
  {
    Array<CCharString> a;
    EXPECT_STREQ("", a.GetAt(0));
    a.RemoveAt(0);
    a.Add("b");
    a.Add(value);
    EXPECT_TRUE(a.InsertAt(0, "a"));
    EXPECT_TRUE(a.InsertAt(3, "e"));
    EXPECT_FALSE(a.InsertAt(5, "x"));
    EXPECT_FALSE(a.InsertAt(-1, "x"));
    a.RemoveAt(-1);
    a.RemoveAt(4);
    a.SetAt(4, "y");
    EXPECT_EQ("a,b,v,e,", Joined(a));
    Array<CCharString> copy(a);
    EXPECT_EQ(3, RefCount(value));
  }
  EXPECT_EQ(1, RefCount(value));
  // The store is bounded to a megabyte of records.
  const int kMaxCount = 0x100000 / (int)sizeof(CCharString);
  Array<CCharString> a;
  for (int i = 0; i < kMaxCount; ++i) ASSERT_EQ(i, a.Add(value));
  EXPECT_EQ(-1, a.Add(value));
  EXPECT_FALSE(a.InsertAt(0, value));
  a.RemoveAll();
  EXPECT_EQ(1, RefCount(value));
}
