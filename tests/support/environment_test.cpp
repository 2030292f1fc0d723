// The conditions the rest of the tests take for granted: Japanese ANSI code page,
// Shift-JIS literals, a fixed zone, and the process width the build was made for.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Environment, AnsiCodePageIsShiftJis) {
  EXPECT_EQ(932u, GetACP());
  EXPECT_TRUE(IsDBCSLeadByte(0x83));
  EXPECT_FALSE(IsDBCSLeadByte('A'));
}

TEST(Environment, NarrowLiteralsAreShiftJis) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>("表");
  EXPECT_EQ(0x95, s[0]);
  EXPECT_EQ(0x5C, s[1]);  // the trail byte that looks like a backslash
  EXPECT_EQ(0, s[2]);
}

TEST(Environment, TimeZoneIsFixed) {
  TIME_ZONE_INFORMATION tz;
  GetTimeZoneInformation(&tz);
  EXPECT_EQ(-540, tz.Bias);  // Asia/Tokyo, no daylight saving
}

TEST(Environment, ProcessWidthMatchesTheBuild) {
#ifdef _WIN64
  EXPECT_EQ(8u, sizeof(void*));  // the 64-bit test build of hosts without 32-bit support
#else
  EXPECT_EQ(4u, sizeof(void*));
#endif
}
