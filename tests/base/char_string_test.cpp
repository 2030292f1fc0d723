// Strings: copy-on-write (also reading themselves), ranges, searches, edits, double-byte rules, limits; arrays.
#include "base/char_string.h"
#include "base/mbcs.h"
#include "base/memory_file.h"
#include "base/string_array.h"
#include "support/suite.h"

namespace {
int RefCount(const CCharString& s) { return s.GetBufferFile() ? s.GetBufferFile()->nRefCount : 0; }
std::string Bar(const CCharString& s) { return std::string(s) + "|"; }
}  // namespace

TEST(CharString, CopiesShareUntilOneIsWrittenAndMayReadThemselves) {
  CCharString a("abc"), b(a);
  EXPECT_EQ(2, RefCount(a));
  b.Append("d");
  (b = a).Format("%d", 7);
  strcpy((b = a).GetBuffer(10), "xy");
  b.ReleaseBuffer();
  (b = a).ReleaseBuffer(1);  // without GetBuffer: the other owner keeps its text
  EXPECT_EQ("abc|a|1", Bar(a) + Bar(b) + std::to_string(RefCount(a)));
  CCharString s("abc");
  s = s;
  s.Append(s);
  s.Assign(static_cast<const char*>(s) + 4);  // a text inside the string itself
  EXPECT_STREQ("bc", s);
  s = std::string(200, 'q').c_str();
  s.Append(s);  // crosses a growth step while reading its own text
  s.Format("%d-%s", s.GetLength(), static_cast<const char*>(s) + 399);
  EXPECT_STREQ("400-q", s);
}

TEST(CharString, CompareRangesTrimAndReplace) {
  CCharString abc("abc"), t("\t a 表 \r\n"), q("say \"hi\""), a("aaaa aaa");
  EXPECT_EQ(-1, abc.Compare("\x81"));  // unsigned bytes
  EXPECT_EQ(0, CCharString("ABC").Compare("abc", TRUE));
  EXPECT_TRUE(abc.StartsWith("") && abc.StartsWith("AB", TRUE) && !abc.StartsWith("abcd"));
  EXPECT_EQ("||bc||", Bar(abc.Left(5)) + Bar(abc.Left(-1)) + Bar(abc.Mid(1, 10)) + Bar(abc.Mid(4, 1)));
  EXPECT_EQ(-1, abc.Find('c', 3));  // a start at the length: empty search
  EXPECT_EQ(-1, abc.Find("a", 0x7FFFFFFF));
  t.Trim();
  EXPECT_STREQ("a 表", t);
  EXPECT_EQ(2, q.Replace("\"", "\"\""));
  EXPECT_EQ(0, q.Replace("", "x"));
  EXPECT_EQ(3, a.Replace("aa", "b"));  // left to right, no overlap
  EXPECT_EQ("say \"\"hi\"\"|bb ba|", Bar(q) + Bar(a));
  EXPECT_EQ(3, a.Replace("b", NULL));
  EXPECT_STREQ(" a", a);
}

TEST(CharString, TrailByteIsNeverTakenForBackslash) {
  // 表 is 95 5C: its trail byte looks like a backslash.
  CCharString path("c:\\表\\x表");
  EXPECT_EQ(-1, CCharString("表").Find('\\'));
  EXPECT_EQ(5, path.Find('\\', 3));
  EXPECT_EQ(-1, CCharString("表x").Find("\\x"));
  EXPECT_EQ(2, path.Replace("\\", "/"));
  EXPECT_STREQ("c:/表/x表", path);
  // A lead byte before the terminator is one byte; a start on a trail byte moves on.
  EXPECT_EQ("1 2 3 2", std::to_string(MbsCharLength("a\x95" + 1)) + " " + std::to_string(MbsFindByte("表\\\\", 1, '\\')) +
                           " " + std::to_string(MbsFindLastByte("\\表\\", '\\')) + " " +
                           std::to_string(MbsFindText("表表", 1, "表")));
}

TEST(CharString, SizeLimitsOfTextsAndArrays) {
  const int kMax = 0x800000;
  CCharString s, half, keep("keep");
  s = std::string(kMax, 'm').c_str();
  EXPECT_FALSE(s.Append("x"));
  s += 'y';
  EXPECT_EQ(kMax, (s + "z").GetLength());
  half = std::string(kMax / 2 + 1, 'a').c_str();
  EXPECT_EQ(-1, half.Replace("a", "aa"));  // refused whole
  EXPECT_EQ(kMax / 2 + 1, half.GetLength());
  EXPECT_FALSE(keep.Assign(std::string(kMax + 1, 'z').c_str()));
  EXPECT_EQ(nullptr, keep.GetBuffer(kMax + 1));
  EXPECT_STREQ("keep", keep);
  memset(keep.GetBuffer(300), 'w', 302);  // every byte of the promised area, no terminator
  keep.ReleaseBuffer();  // measured up to the area
  EXPECT_EQ(300, keep.GetLength());
  keep.ReleaseBuffer(1000000);
  EXPECT_EQ(300, keep.GetLength());

  // Arrays: range checks, shared elements, and at most a megabyte of records.
  CCharString value("v");
  Array<CCharString> arr;
  EXPECT_STREQ("", arr.GetAt(0));
  EXPECT_TRUE(arr.InsertAt(0, value) && arr.InsertAt(1, "e") && arr.InsertAt(0, "a"));
  EXPECT_FALSE(arr.InsertAt(4, "x") || arr.InsertAt(-1, "x"));
  arr.RemoveAt(-1);
  arr.SetAt(3, "y");
  EXPECT_EQ("a|v|e|", Bar(arr.GetAt(0)) + Bar(arr.GetAt(1)) + Bar(arr.GetAt(2)));
  const int kMaxCount = 0x100000 / static_cast<int>(sizeof(CCharString));
  while (arr.GetCount() < kMaxCount) ASSERT_GE(arr.Add(value), 0);
  EXPECT_EQ(-1, arr.Add(value));
  EXPECT_FALSE(arr.InsertAt(0, value));
  arr.RemoveAll();
  EXPECT_EQ(1, RefCount(value));
}
