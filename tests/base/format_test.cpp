#include <limits.h>
#include <stdarg.h>
#include <stdio.h>

#include "base/char_string.h"
#include "support/suite.h"

namespace {
// Texts given to OutputDebugStringA, seen through the exception it raises.
std::vector<std::string> g_debugTexts;

LONG CALLBACK CatchDebugText(EXCEPTION_POINTERS* pInfo) {
  const EXCEPTION_RECORD* r = pInfo->ExceptionRecord;
  if (r->ExceptionCode != DBG_PRINTEXCEPTION_C) return EXCEPTION_CONTINUE_SEARCH;
  if (r->NumberParameters >= 2) g_debugTexts.push_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Formats without the compiler's checks (unknown letters may be tried) and
// compares with the system runtime's output; returns the debug texts it caused.
size_t ExpectSameAsRuntime(const char* pszFormat, ...) {
  static std::vector<char> expected(300000);
  g_debugTexts.clear();
  PVOID hHandler = AddVectoredExceptionHandler(1, CatchDebugText);
  va_list args, copy;
  va_start(args, pszFormat);
  va_copy(copy, args);
  int n = _vsnprintf(expected.data(), expected.size(), pszFormat, copy);
  va_end(copy);
  CCharString s("previous");
  EXPECT_TRUE(s.FormatV(pszFormat, args)) << pszFormat;
  va_end(args);
  RemoveVectoredExceptionHandler(hHandler);
  EXPECT_EQ(std::string(expected.data(), n), std::string(s, s.GetLength())) << pszFormat;
  return g_debugTexts.size();
}

BOOL FormatUnchecked(CCharString& s, const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  BOOL b = s.FormatV(pszFormat, args);
  va_end(args);
  return b;
}
}  // namespace

TEST(Format, MatchesTheSystemRuntimeAndReportsUnknownLetters) {
  EXPECT_EQ(0u, ExpectSameAsRuntime("%5s|%-5s|%.1s|[%s]", "ab", "cd", "ef", static_cast<const char*>(NULL)));
  ExpectSameAsRuntime("%d %i %u %x %X %o %+08.3d|% d|%#x|%#o|%-6d|", INT_MIN, -1, 4000000000u, 0xBEEF,
                      0xBEEF, 8, 42, 7, 255, 8, -3);
  ExpectSameAsRuntime("%*d|%-*.*s|%.*f", 10, 42, 8, 3, "abcdef", 2, 3.14159);
  ExpectSameAsRuntime("%I64d %I64u %I64x", -1234567890123LL, 18446744073709551615ULL, 0x123456789ABCLL);
  ExpectSameAsRuntime("%e %g %G %.0e %f %.50f|%300.20f", 12345.678, 1e-10, 1e20, 5.5, 1e300, 1e200, -2.5);
  ExpectSameAsRuntime("%c%c|%5c|%%|100%%|%p %hd %ld", 'o', 'k', 'x', reinterpret_cast<void*>(0x1234), 70000,
                      123456L);
  ExpectSameAsRuntime("%S|%ls|%5S|表%s表", L"wide", L"too", L"w", "示");
  ExpectSameAsRuntime("%*d", 200000, 5);  // far beyond the first try
  EXPECT_EQ(0u, ExpectSameAsRuntime("%e|%I64d|%%q|%ls|%Lf|%hx", 2.5, 2LL, L"w", 1.5, 3));
  // Reported to the debugger, while the text is still the runtime's.
  EXPECT_EQ(1u, ExpectSameAsRuntime("%E", 2.5));
  EXPECT_EQ("CCharString::FormatV()::unknown formatting option", g_debugTexts[0]);
  EXPECT_EQ(1u, ExpectSameAsRuntime("%q!", 1));
  CCharString s;
  g_debugTexts.clear();
  PVOID hHandler = AddVectoredExceptionHandler(1, CatchDebugText);
  EXPECT_TRUE(FormatUnchecked(s, "%y %w %lld", 1, 2, 3LL));  // y, w and the second l
  RemoveVectoredExceptionHandler(hHandler);
  EXPECT_EQ(3u, g_debugTexts.size());
}

TEST(Format, OutputPastTheLimitIsRefusedAndTheTextKept) {
  CCharString s("keep");
  EXPECT_FALSE(FormatUnchecked(s, "%*d", 0x800001, 1));
  EXPECT_FALSE(FormatUnchecked(s, NULL));
  EXPECT_STREQ("keep", s);
  EXPECT_TRUE(s.Format("%*d", 0x800000, 1));
  EXPECT_EQ('1', s[0x800000 - 1]);
  s.Format("a%cb", 0);  // the length stops at the zero
  EXPECT_EQ(1, s.GetLength());
}
