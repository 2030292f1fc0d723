#include "client/entry_text.h"

#include <string>

#include "base/mbcs.h"

CCharString CleanEntryText(const char* pszText) {
  std::string sClean;
  for (const char* p = pszText ? pszText : ""; *p != 0;) {
    if (*p == '\r' || *p == '\n') {
      while (*p == '\r' || *p == '\n') ++p;
      sClean += ' ';
      continue;
    }
    int nChar = MbsCharLength(p);
    if (nChar == 1 && IsLeadByte(static_cast<unsigned char>(*p))) {
      ++p;  // its trail byte is missing
      continue;
    }
    sClean.append(p, static_cast<size_t>(nChar));
    p += nChar;
  }
  CCharString sText(sClean.c_str());
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
