// The conditions the rest of the tests take for granted: Japanese ANSI code page,
// Shift-JIS literals, a fixed zone and a 32-bit process.
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

TEST(Environment, ThirtyTwoBitProcess) {
  EXPECT_EQ(4u, sizeof(void*));
}
