#include "client/entry_text.h"

#include "base/mbcs.h"

CCharString CleanEntryText(const char* pszText) {
  const char* pszFrom = pszText ? pszText : "";
  // The cleaned text is never longer than the typed one. A text beyond what a
  // string holds comes out empty.
  CCharString sText;
  char* pOut = sText.GetBuffer(lstrlenA(pszFrom));
  if (pOut == NULL) return CCharString();
  int nOut = 0;
  for (const char* p = pszFrom; *p != 0;) {
    if (*p == '\r' || *p == '\n') {
      while (*p == '\r' || *p == '\n') ++p;
      pOut[nOut++] = ' ';
      continue;
    }
    int nChar = MbsCharLength(p);
    if (nChar == 1 && IsLeadByte(static_cast<unsigned char>(*p))) {
      ++p;  // its trail byte is missing
      continue;
    }
    for (int i = 0; i < nChar; ++i) pOut[nOut++] = *p++;
  }
  sText.ReleaseBuffer(nOut);
  sText.Trim();
  const char* pszKept = sText;
  int nEnd = 0;
  while (pszKept[nEnd] != 0 && nEnd + MbsCharLength(pszKept + nEnd) <= kMaxEntryTextBytes) {
    nEnd += MbsCharLength(pszKept + nEnd);
  }
  if (nEnd < sText.GetLength()) {
    sText = sText.Left(nEnd);
    sText.Trim();
  }
  return sText;
}
