#include "base/char_string.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "base/mbcs.h"
#include "base/memory_file.h"

namespace {
int RefCount(const CCharString& s) { return s.GetBufferFile() ? s.GetBufferFile()->nRefCount : 0; }
int Capacity(const CCharString& s) { return s.GetBufferFile() ? s.GetBufferFile()->nCapacity : 0; }
}  // namespace

TEST(CharString, CopiesShareUntilOneIsWritten) {
  CCharString none, empty("");
  EXPECT_EQ(0, none.GetLength() + empty.GetLength());
  EXPECT_EQ(nullptr, none.GetBufferFile());
  EXPECT_EQ(256, Capacity(empty));  // only the text constructor gives a buffer

  CCharString a("abc");
  CCharString b(a);
  EXPECT_EQ(2, RefCount(a));
  EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(b));
  b.Append("d");
  EXPECT_STREQ("abc", a);
  EXPECT_STREQ("abcd", b);
  EXPECT_EQ(1, RefCount(a));
  b = a;
  b.Format("%d", 7);
  EXPECT_STREQ("abc", a);
  b = a;
  strcpy(b.GetBuffer(10), "xy");
  b.ReleaseBuffer();
  EXPECT_STREQ("abc", a);
  EXPECT_STREQ("xy", b);
  b = a;
  b.ReleaseBuffer(1);  // without GetBuffer: the other owner keeps its text
  EXPECT_STREQ("abc", a);
  EXPECT_STREQ("a", b);
}

TEST(CharString, SelfAssignmentAndSelfAppend) {
  CCharString s("abc");
  s = s;
  s.Assign(s);
  s.Append(s);
  EXPECT_STREQ("abcabc", s);
  s.Assign(static_cast<const char*>(s) + 4);  // a text inside the string itself
  EXPECT_STREQ("bc", s);
  s = std::string(200, 'q').c_str();
  s.Append(s);  // crosses a growth step while reading its own text
  EXPECT_EQ(std::string(400, 'q'), static_cast<const char*>(s));
  EXPECT_EQ(512, Capacity(s));
}

TEST(CharString, ConcatenationCompareAndPrefix) {
  CCharString s("ab");
  EXPECT_STREQ("abcd", s + "cd");
  EXPECT_STREQ("cdab", "cd" + s);
  EXPECT_STREQ("abab", s + s);
  EXPECT_STREQ("abx", s + 'x');
  EXPECT_STREQ("xab", 'x' + s);
  EXPECT_EQ(-1, s.Compare("abc"));
  EXPECT_EQ(-1, s.Compare("\x81"));  // unsigned bytes
  EXPECT_EQ(0, CCharString("ABC").Compare("abc", TRUE));
  EXPECT_TRUE(s == "ab" && "ab" == s && s != CCharString("ac"));
  EXPECT_TRUE(s.StartsWith("") && s.StartsWith("AB", TRUE));
  EXPECT_FALSE(s.StartsWith("AB") || s.StartsWith("abc"));
}

TEST(CharString, RangeRulesOfLeftMidAndFind) {
  CCharString s("abc");
  EXPECT_STREQ("", s.Left(5));
  EXPECT_STREQ("", s.Left(-1));
  EXPECT_STREQ("abc", s.Left(3));
  EXPECT_STREQ("bc", s.Mid(1, 10));
  EXPECT_STREQ("", s.Mid(3, 1));
  EXPECT_STREQ("", s.Mid(4, 1));
  EXPECT_EQ(-1, s.Find('c', 3));  // start at the length: empty search
  EXPECT_EQ(-1, s.Find('a', 4));
  EXPECT_EQ(1, s.Find("bc", 1));
  EXPECT_EQ(-1, s.Find("bc", 2));
  EXPECT_EQ(-1, s.Find("a", 0x7FFFFFFF));
  EXPECT_EQ(2, CCharString("abab").ReverseFind("ab"));
}

TEST(CharString, TrailByteIsNeverTakenForBackslash) {
  // 表 is 95 5C: its trail byte looks like a backslash.
  CCharString s("表");
  EXPECT_EQ(-1, s.Find('\\'));
  EXPECT_EQ(-1, s.Find("\\"));
  EXPECT_EQ(-1, s.ReverseFind("\\"));
  CCharString path("c:\\表\\x表");
  EXPECT_EQ(5, path.Find('\\', 3));
  EXPECT_EQ(5, path.ReverseFind("\\"));
  EXPECT_EQ(-1, CCharString("表x").Find("\\x"));
  EXPECT_EQ(2, path.Replace("\\", "/"));
  EXPECT_STREQ("c:/表/x表", path);

  EXPECT_EQ(1, MbsCharLength("a\x95" + 1));  // a lead byte before the terminator
  EXPECT_FALSE(MbsIsCharBoundary("表", 1));
  EXPECT_EQ(2, MbsFindByte("表\\\\", 1, '\\'));  // a start on a trail byte moves on
  EXPECT_EQ(3, MbsFindLastByte("\\表\\", '\\'));
  EXPECT_EQ(2, MbsFindText("表表", 1, "表"));
}

TEST(CharString, TrimAndReplace) {
  CCharString s("\t a b \r\n");
  s.Trim();
  EXPECT_STREQ("a b", s);
  CCharString blanks("   ");
  blanks.Trim();
  EXPECT_STREQ("", blanks);
  CCharString dbcs(" 表 ");
  dbcs.TrimRight();
  EXPECT_STREQ(" 表", dbcs);

  CCharString q("say \"hi\"");
  EXPECT_EQ(2, q.Replace("\"", "\"\""));
  EXPECT_STREQ("say \"\"hi\"\"", q);
  EXPECT_EQ(0, q.Replace("", "x"));
  CCharString a("aaaa aaa");
  EXPECT_EQ(3, a.Replace("aa", "b"));  // left to right, no overlap
  EXPECT_STREQ("bb ba", a);
  EXPECT_EQ(3, a.Replace("b", NULL));
  EXPECT_STREQ(" a", a);
}

TEST(CharString, LimitOfEightMegabytesRefusesWholeChanges) {
  const int kMax = 0x800000;
  CCharString s;
  memset(s.GetBuffer(kMax), 'm', kMax);
  s.ReleaseBuffer(kMax);
  EXPECT_EQ(kMax, s.GetLength());
  EXPECT_FALSE(s.Append("x"));
  s += 'y';
  EXPECT_EQ(kMax, s.GetLength());
  EXPECT_EQ(kMax, (s + "z").GetLength());
  EXPECT_EQ(0, s[kMax]);

  CCharString half;
  memset(half.GetBuffer(kMax / 2 + 1), 'a', kMax / 2 + 1);
  half.ReleaseBuffer(kMax / 2 + 1);
  EXPECT_EQ(-1, half.Replace("a", "aa"));
  EXPECT_EQ(kMax / 2 + 1, half.GetLength());

  CCharString keep("keep");
  std::string tooLong(kMax + 1, 'z');
  EXPECT_FALSE(keep.Assign(tooLong.c_str()));
  EXPECT_EQ(nullptr, keep.GetBuffer(kMax + 1));
  EXPECT_STREQ("keep", keep);
}

TEST(CharString, GetBufferAndReleaseBufferStayInTheBlock) {
  CCharString s("old");
  char* p = s.GetBuffer(-5);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(0, s.GetLength());  // the old text is gone
  p = s.GetBuffer(300);
  memset(p, 'w', 302);  // every byte of the promised area
  s.ReleaseBuffer();    // no terminator anywhere: measured up to the area
  EXPECT_EQ(300, s.GetLength());
  s.ReleaseBuffer(1000000);
  EXPECT_EQ(300, s.GetLength());
  s.ReleaseBuffer(2);
  EXPECT_STREQ("ww", s);
}
