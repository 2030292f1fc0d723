// What Format adds to the runtime's conversions: unknown letters reported to the debugger, growth, the limit.
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

// Formats unchecked by the compiler, expecting the runtime's text; -1 when refused, else the debug texts caused.
int Format(CCharString& s, const char* pszFormat, ...) {
  static std::vector<char> expected(300000);
  g_debugTexts.clear();
  PVOID hHandler = AddVectoredExceptionHandler(1, CatchDebugText);
  va_list args, copy;
  va_start(args, pszFormat);
  va_copy(copy, args);
  int n = _vsnprintf(expected.data(), expected.size(), pszFormat, copy);
  va_end(copy);
  BOOL bDone = s.FormatV(pszFormat, args);
  va_end(args);
  RemoveVectoredExceptionHandler(hHandler);
  EXPECT_TRUE(!bDone || std::string(expected.data(), n) == std::string(s, s.GetLength())) << pszFormat;
  return bDone ? static_cast<int>(g_debugTexts.size()) : -1;
}
}  // namespace

TEST(Format, UnknownLettersAreReportedGrowthAndLimit) {
  CCharString s("keep");
  // Every letter, flag, width, precision and size the runtime knows: no report.
  EXPECT_EQ(0, Format(s, "%5s|%-5.1s|[%s]|%c|%%|%p %hd %ld %hx|%+08.3d|% d|%#x|%#o|%i %u %X|%*d|%-*.*s|%.*f|"
                         "%I64d %I64x|%e %g %G %.0e %Lf|%S|%ls|表%s表", "ab", "cd", static_cast<const char*>(NULL),
                      'o', reinterpret_cast<void*>(0x1234), 70000, 123456L, 3, 42, 7, 255, 8, -1, 4000000000u, 0xBEEF,
                      10, 42, 8, 3, "abcdef", 2, 3.14159, -1234567890123LL, 0x123456789ABCLL, 12345.678, 1e-10, 1e20,
                      5.5, 1.5, L"wide", L"too", "示"));
  EXPECT_EQ(1, Format(s, "%E", 2.5));  // reported, while the text is still the runtime's
  EXPECT_EQ("CCharString::FormatV()::unknown formatting option", g_debugTexts[0]);
  EXPECT_EQ(1, Format(s, "%q!", 1));
  EXPECT_EQ(3, Format(s, "%y %w %lld", 1, 2, 3LL));  // y, w and the second l
  EXPECT_EQ(0, Format(s, "%*d", 200000, 5));  // far beyond the first try
  EXPECT_EQ(-1, Format(s, "%*d", 0x800001, 1));
  EXPECT_FALSE(s.FormatV(NULL, nullptr));
  EXPECT_EQ(200000, s.GetLength());  // kept
  EXPECT_TRUE(s.Format("%*d", 0x800000, 1));
  EXPECT_EQ('1', s[0x800000 - 1]);
  s.Format("a%cb", 0);  // the length stops at the zero
  EXPECT_EQ(1, s.GetLength());
}
