#include "base/mbcs.h"

#include <string.h>

BOOL IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) ? TRUE : FALSE; }

BOOL IsTrailCandidate(unsigned char c) { return c >= 0x40; }

int MbsCharLength(const char* p) {
  if (p == NULL || p[0] == 0) return 0;
  if (IsLeadByte((unsigned char)p[0]) && IsTrailCandidate((unsigned char)p[1])) return 2;
  return 1;
}

BOOL MbsIsCharBoundary(const char* pszText, int nIndex) {
  if (pszText == NULL || nIndex < 0) return FALSE;
  int i = 0;
  while (i < nIndex) {
    int n = MbsCharLength(pszText + i);
    if (n == 0) return FALSE;  // past the end
    i += n;
  }
  return i == nIndex;
}

int MbsFindByte(const char* pszText, int nStart, unsigned char byte) {
  if (pszText == NULL || nStart < 0) return -1;
  for (int i = 0;;) {
    int n = MbsCharLength(pszText + i);
    if (n == 0) return -1;
    if (n == 1 && i >= nStart && (unsigned char)pszText[i] == byte) return i;
    i += n;
  }
}

int MbsFindLastByte(const char* pszText, unsigned char byte) {
  if (pszText == NULL) return -1;
  int nFound = -1;
  for (int i = 0;;) {
    int n = MbsCharLength(pszText + i);
    if (n == 0) return nFound;
    if (n == 1 && (unsigned char)pszText[i] == byte) nFound = i;
    i += n;
  }
}

// Whether the nLength bytes at p form whole characters (the match must not
// end inside a two-byte character of the text).
static BOOL EndsOnBoundary(const char* p, int nLength) {
  int i = 0;
  while (i < nLength) i += MbsCharLength(p + i);
  return i == nLength;
}

int MbsFindText(const char* pszText, int nStart, const char* pszFind) {
  if (pszText == NULL || pszFind == NULL || nStart < 0) return -1;
  size_t nFind = strlen(pszFind);
  for (int i = 0;;) {
    int n = MbsCharLength(pszText + i);
    if (i >= nStart) {
      if (nFind == 0) return i;
      if (n == 0) return -1;
      if (strncmp(pszText + i, pszFind, nFind) == 0 && EndsOnBoundary(pszText + i, (int)nFind))
        return i;
    }
    if (n == 0) return -1;
    i += n;
  }
}

int MbsFindLastText(const char* pszText, const char* pszFind) {
  if (pszText == NULL || pszFind == NULL) return -1;
  size_t nFind = strlen(pszFind);
  int nFound = -1;
  for (int i = 0;;) {
    int n = MbsCharLength(pszText + i);
    if (n == 0) return nFind == 0 ? i : nFound;
    if (nFind > 0 && strncmp(pszText + i, pszFind, nFind) == 0 && EndsOnBoundary(pszText + i, (int)nFind))
      nFound = i;
    i += n;
  }
}
