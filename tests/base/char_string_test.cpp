#include "base/char_string.h"

#include "base/mbcs.h"
#include "base/memory_file.h"
#include "base/string_array.h"
#include "support/suite.h"

namespace {
int RefCount(const CCharString& s) { return s.GetBufferFile() ? s.GetBufferFile()->nRefCount : 0; }
}  // namespace

TEST(CharString, CopiesShareUntilOneIsWrittenAndMayReadThemselves) {
  CCharString a("abc"), b(a);
  EXPECT_EQ(2, RefCount(a));
  b.Append("d");
  b = a;
  b.Format("%d", 7);
  b = a;
  strcpy(b.GetBuffer(10), "xy");
  b.ReleaseBuffer();
  b = a;
  b.ReleaseBuffer(1);  // without GetBuffer: the other owner keeps its text
  EXPECT_STREQ("abc", a);
  EXPECT_STREQ("a", b);
  EXPECT_EQ(1, RefCount(a));
  CCharString s("abc");
  s = s;
  s.Append(s);
  EXPECT_STREQ("abcabc", s);
  s.Assign(static_cast<const char*>(s) + 4);  // a text inside the string itself
  EXPECT_STREQ("bc", s);
  s = std::string(200, 'q').c_str();
  s.Append(s);  // crosses a growth step while reading its own text
  EXPECT_EQ(std::string(400, 'q'), static_cast<const char*>(s));
  s.Format("%s-%s", static_cast<const char*>(s) + 398, static_cast<const char*>(s) + 399);
  EXPECT_STREQ("qq-q", s);
}

TEST(CharString, CompareRangesTrimAndReplace) {
  CCharString s("ab"), abc("abc"), t("\t a b \r\n"), q("say \"hi\""), a("aaaa aaa");
  EXPECT_STREQ("xabab!", 'x' + s + s + "!");
  EXPECT_EQ(-1, s.Compare("\x81"));  // unsigned bytes
  EXPECT_EQ(0, CCharString("ABC").Compare("abc", TRUE));
  EXPECT_TRUE(s.StartsWith("") && s.StartsWith("AB", TRUE) && !s.StartsWith("abc"));
  EXPECT_STREQ("", abc.Left(5));
  EXPECT_STREQ("", abc.Left(-1));
  EXPECT_STREQ("bc", abc.Mid(1, 10));
  EXPECT_STREQ("", abc.Mid(4, 1));
  EXPECT_EQ(-1, abc.Find('c', 3));  // a start at the length: empty search
  EXPECT_EQ(-1, abc.Find("a", 0x7FFFFFFF));
  EXPECT_EQ(2, CCharString("abab").ReverseFind("ab"));
  t.Trim();
  EXPECT_STREQ("a b", t);
  EXPECT_EQ(2, q.Replace("\"", "\"\""));
  EXPECT_STREQ("say \"\"hi\"\"", q);
  EXPECT_EQ(0, q.Replace("", "x"));
  EXPECT_EQ(3, a.Replace("aa", "b"));  // left to right, no overlap
  EXPECT_STREQ("bb ba", a);
  EXPECT_EQ(3, a.Replace("b", NULL));
  EXPECT_STREQ(" a", a);
}

TEST(CharString, TrailByteIsNeverTakenForBackslash) {
  // 表 is 95 5C: its trail byte looks like a backslash.
  CCharString s("表"), path("c:\\表\\x表"), dbcs(" 表 ");
  EXPECT_EQ(-1, s.Find('\\'));
  EXPECT_EQ(-1, s.ReverseFind("\\"));
  EXPECT_EQ(5, path.Find('\\', 3));
  EXPECT_EQ(5, path.ReverseFind("\\"));
  EXPECT_EQ(-1, CCharString("表x").Find("\\x"));
  EXPECT_EQ(2, path.Replace("\\", "/"));
  EXPECT_STREQ("c:/表/x表", path);
  dbcs.TrimRight();
  EXPECT_STREQ(" 表", dbcs);
  EXPECT_EQ(1, MbsCharLength("a\x95" + 1));  // a lead byte before the terminator
  EXPECT_FALSE(MbsIsCharBoundary("表", 1));
  EXPECT_EQ(2, MbsFindByte("表\\\\", 1, '\\'));  // a start on a trail byte moves on
  EXPECT_EQ(3, MbsFindLastByte("\\表\\", '\\'));
  EXPECT_EQ(2, MbsFindText("表表", 1, "表"));
}

TEST(CharString, SizeLimitsOfTextsAndArrays) {
  const int kMax = 0x800000;
  CCharString s, half, keep("keep");
  memset(s.GetBuffer(kMax), 'm', kMax);
  s.ReleaseBuffer(kMax);
  EXPECT_FALSE(s.Append("x"));
  s += 'y';
  EXPECT_EQ(kMax, (s + "z").GetLength());
  EXPECT_EQ(0, s[kMax]);
  memset(half.GetBuffer(kMax / 2 + 1), 'a', kMax / 2 + 1);
  half.ReleaseBuffer(kMax / 2 + 1);
  EXPECT_EQ(-1, half.Replace("a", "aa"));  // refused whole
  EXPECT_EQ(kMax / 2 + 1, half.GetLength());
  EXPECT_FALSE(keep.Assign(std::string(kMax + 1, 'z').c_str()));
  EXPECT_EQ(nullptr, keep.GetBuffer(kMax + 1));
  EXPECT_STREQ("keep", keep);
  memset(keep.GetBuffer(300), 'w', 302);  // every byte of the promised area
  keep.ReleaseBuffer();  // no terminator anywhere: measured up to the area
  EXPECT_EQ(300, keep.GetLength());
  keep.ReleaseBuffer(1000000);
  EXPECT_EQ(300, keep.GetLength());

  // Arrays: range checks, shared elements, and at most a megabyte of records.
  CCharString value("v");
  Array<CCharString> a;
  EXPECT_STREQ("", a.GetAt(0));
  a.RemoveAt(0);
  EXPECT_TRUE(a.InsertAt(0, value) && a.InsertAt(1, "e") && a.InsertAt(0, "a"));
  EXPECT_FALSE(a.InsertAt(4, "x") || a.InsertAt(-1, "x"));
  a.RemoveAt(-1);
  a.SetAt(3, "y");
  EXPECT_STREQ("a", a.GetAt(0));
  EXPECT_STREQ("e", a.GetAt(2));
  Array<CCharString>* copy = new Array<CCharString>(a);
  EXPECT_EQ(3, RefCount(value));
  delete copy;
  a.RemoveAll();
  EXPECT_EQ(1, RefCount(value));
  const int kMaxCount = 0x100000 / (int)sizeof(CCharString);
  for (int i = 0; i < kMaxCount; ++i) ASSERT_EQ(i, a.Add(value));
  EXPECT_EQ(-1, a.Add(value));
  EXPECT_FALSE(a.InsertAt(0, value));
  a.RemoveAll();
  EXPECT_EQ(1, RefCount(value));
}
