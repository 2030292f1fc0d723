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

TEST(StringArray, InsertRemoveOrderAndRangeChecks) {
  Array<CCharString> a;
  EXPECT_STREQ("", a.GetAt(0));
  a.RemoveAt(0);
  EXPECT_EQ(0, a.Add("b"));
  EXPECT_EQ(1, a.Add("d"));
  EXPECT_TRUE(a.InsertAt(0, "a"));
  EXPECT_TRUE(a.InsertAt(2, "c"));
  EXPECT_TRUE(a.InsertAt(4, "e"));
  EXPECT_FALSE(a.InsertAt(6, "x"));
  EXPECT_FALSE(a.InsertAt(-1, "x"));
  EXPECT_EQ("a,b,c,d,e,", Joined(a));
  a.RemoveAt(0);
  a.RemoveAt(1);
  a.RemoveAt(2);
  a.RemoveAt(2);
  a.RemoveAt(-1);
  EXPECT_EQ("b,d,", Joined(a));
  a.SetAt(1, "x");
  a.SetAt(2, "y");
  EXPECT_EQ("b,x,", Joined(a));
  EXPECT_STREQ("", a.GetAt(-1));
}

TEST(StringArray, ElementsShareTheirBuffers) {
  CCharString value("shared");
  {
    Array<CCharString> a;
    a.Add(value);
    a.Add(value);
    EXPECT_EQ(3, RefCount(value));
    EXPECT_EQ(static_cast<const char*>(value), static_cast<const char*>(a.GetAt(1)));
    a.RemoveAt(0);
    a.SetAt(0, "other");
    EXPECT_EQ(1, RefCount(value));
    a.InsertAt(0, value);
    Array<CCharString> copy(a);
    EXPECT_EQ("shared,other,", Joined(copy));
    EXPECT_EQ(3, RefCount(value));
  }
  EXPECT_EQ(1, RefCount(value));
}

TEST(StringArray, StoreIsBoundedToAMegabyteOfRecords) {
  const int kMaxCount = 0x100000 / (int)sizeof(CCharString);
  Array<CCharString> a;
  CCharString value("v");
  for (int i = 0; i < kMaxCount; ++i) ASSERT_EQ(i, a.Add(value));
  EXPECT_EQ(-1, a.Add(value));
  EXPECT_FALSE(a.InsertAt(0, value));
  EXPECT_EQ(kMaxCount, a.GetCount());
  a.RemoveAll();
  EXPECT_EQ(1, RefCount(value));
}
