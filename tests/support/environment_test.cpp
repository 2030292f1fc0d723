// What the other tests take for granted: code page 932, Shift-JIS literals, a fixed zone, the build's width.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Environment, ShiftJisCodePageAndLiteralsFixedZoneAndProcessWidth) {
  EXPECT_EQ(932u, GetACP());
  EXPECT_TRUE(IsDBCSLeadByte(0x83) && !IsDBCSLeadByte('A'));
  EXPECT_STREQ("\x95\x5C", "表");  // the trail byte that looks like a backslash
  TIME_ZONE_INFORMATION tz;
  GetTimeZoneInformation(&tz);
  EXPECT_EQ(-540, tz.Bias);  // Asia/Tokyo, no daylight saving
#ifdef _WIN64
  EXPECT_EQ(8u, sizeof(void*));  // the 64-bit test build of hosts without 32-bit support
#else
  EXPECT_EQ(4u, sizeof(void*));
#endif
}
