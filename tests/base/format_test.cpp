#include <windows.h>

#include <gtest/gtest.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "base/char_string.h"

namespace {

// Texts given to OutputDebugStringA, seen through the exception it raises.
std::vector<std::string>* g_pDebugTexts = NULL;

LONG CALLBACK CatchDebugText(EXCEPTION_POINTERS* pInfo) {
  const EXCEPTION_RECORD* r = pInfo->ExceptionRecord;
  if (r->ExceptionCode != DBG_PRINTEXCEPTION_C || g_pDebugTexts == NULL) return EXCEPTION_CONTINUE_SEARCH;
  if (r->NumberParameters >= 2) g_pDebugTexts->push_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
  return EXCEPTION_CONTINUE_EXECUTION;
}

class DebugTexts {
public:
  DebugTexts() : hHandler(AddVectoredExceptionHandler(1, CatchDebugText)) { g_pDebugTexts = &texts; }
  ~DebugTexts() {
    g_pDebugTexts = NULL;
    RemoveVectoredExceptionHandler(hHandler);
  }
  std::vector<std::string> texts;

private:
  PVOID hHandler;
};

// Formats without the compiler's format checks, so that unknown letters can be tried.
BOOL FormatUnchecked(CCharString& s, const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  BOOL b = s.FormatV(pszFormat, args);
  va_end(args);
  return b;
}

// The system runtime's own output next to ours.
void ExpectSameAsRuntime(const char* pszFormat, ...) {
  static std::vector<char> expected(300000);
  va_list args, copy;
  va_start(args, pszFormat);
  va_copy(copy, args);
  int n = _vsnprintf(expected.data(), expected.size(), pszFormat, copy);
  va_end(copy);
  CCharString s("previous");
  EXPECT_TRUE(s.FormatV(pszFormat, args)) << pszFormat;
  va_end(args);
  ASSERT_GE(n, 0) << pszFormat;
  EXPECT_EQ(n, s.GetLength()) << pszFormat;
  EXPECT_EQ(std::string(expected.data(), n), std::string(s, s.GetLength())) << pszFormat;
}

}  // namespace

TEST(Format, MatchesTheSystemRuntime) {
  ExpectSameAsRuntime("%5s|%-5s|%.1s", "ab", "cd", "ef");
  ExpectSameAsRuntime("[%s]", static_cast<const char*>(NULL));
  ExpectSameAsRuntime("%d %i %u %x %X %o", INT_MIN, -1, 4000000000u, 0xBEEF, 0xBEEF, 8);
  ExpectSameAsRuntime("%+08.3d|% d|%#x|%#o|%-6d|", 42, 7, 255, 8, -3);
  ExpectSameAsRuntime("%*d|%-*.*s|%.*f", 10, 42, 8, 3, "abcdef", 2, 3.14159);
  ExpectSameAsRuntime("%I64d %I64u %I64x", -1234567890123LL, 18446744073709551615ULL, 0x123456789ABCLL);
  ExpectSameAsRuntime("%e %E %g %G %.0e", 12345.678, 0.000123, 1e-10, 1e20, 5.5);
  ExpectSameAsRuntime("%f", 1e300);
  ExpectSameAsRuntime("%.50f|%300.20f", 1e200, -2.5);
  ExpectSameAsRuntime("%c%c|%5c|%%|100%%", 'o', 'k', 'x');
  ExpectSameAsRuntime("%p %hd %ld", reinterpret_cast<void*>(0x1234), 70000, 123456L);
  ExpectSameAsRuntime("%S|%ls|%5S", L"wide", L"too", L"w");
  ExpectSameAsRuntime("%5000d|", 1);
  ExpectSameAsRuntime("%*d", 200000, 5);  // far beyond the first try
  ExpectSameAsRuntime("表%s表", "示");
  ExpectSameAsRuntime("");
}

TEST(Format, UnknownConversionLettersAreReportedToTheDebugger) {
  DebugTexts seen;
  ExpectSameAsRuntime("%e|%d|%I64d|%%q|%-5.2s|%ls|%Lf|%hx", 2.5, 1, 2LL, "abc", L"w", 1.5, 3);
  EXPECT_EQ(0u, seen.texts.size());
  ExpectSameAsRuntime("%E", 2.5);  // reported, while the text is still the runtime's
  ASSERT_EQ(1u, seen.texts.size());
  EXPECT_EQ("CCharString::FormatV()::unknown formatting option", seen.texts[0]);
  ExpectSameAsRuntime("%q!", 1);
  EXPECT_EQ(2u, seen.texts.size());
  CCharString s;
  EXPECT_TRUE(FormatUnchecked(s, "%y %w %lld", 1, 2, 3LL));  // y, w and the second l
  EXPECT_EQ(5u, seen.texts.size());
}

TEST(Format, OutputPastTheLimitIsRefusedAndTheTextKept) {
  CCharString s("keep");
  EXPECT_FALSE(FormatUnchecked(s, "%*d", 0x800001, 1));
  EXPECT_STREQ("keep", s);
  EXPECT_FALSE(FormatUnchecked(s, NULL));
  EXPECT_STREQ("keep", s);
  EXPECT_TRUE(s.Format("%*d", 0x800000, 1));
  EXPECT_EQ(0x800000, s.GetLength());
  EXPECT_EQ('1', s[0x800000 - 1]);
}

TEST(Format, ArgumentsMayBeTheStringItselfAndLengthStopsAtZero) {
  CCharString s("abc");
  s.Format("%s-%s", static_cast<const char*>(s), static_cast<const char*>(s));
  EXPECT_STREQ("abc-abc", s);
  s.Format("a%cb", 0);
  EXPECT_EQ(1, s.GetLength());
  EXPECT_STREQ("a", s);
}
