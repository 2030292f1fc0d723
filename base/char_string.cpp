#include "base/char_string.h"

#include <stdio.h>
#include <string.h>

#include <memory>
#include <new>
#include <utility>

#include "base/mbcs.h"
#include "base/memory_file.h"

namespace {

// The one read-only empty text of every string without a buffer.
const char kEmptyText[1] = {0};

char* EmptyText() { return const_cast<char*>(kEmptyText); }

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Character size at offset i of a text of nLength bytes, by the rule of
// MbsCharLength; embedded zero bytes count as one-byte characters so
// length-bounded walks always advance.
int CharSizeAt(const char* p, int i, int nLength) {
  if (i + 1 >= nLength || !IsLeadByte((unsigned char)p[i])) return 1;
  return IsTrailCandidate((unsigned char)p[i + 1]) ? 2 : 1;
}

// Whether the nCount bytes at offset i are whole characters.
bool EndsOnBoundary(const char* p, int i, int nCount, int nLength) {
  int j = i;
  while (j < i + nCount) j += CharSizeAt(p, j, nLength);
  return j == i + nCount;
}

void ReportUnknownConversions(const char* p) {
  static const char kKnown[] = "cCsSdiuxXopegGfn";
  while (*p) {
    if (*p != '%') {
      p += MbsCharLength(p);
      continue;
    }
    ++p;
    if (*p == '%') {
      ++p;
      continue;
    }
    while (*p && strchr("-+ 0#", *p)) ++p;
    if (*p == '*') {
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') ++p;
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') ++p;
      }
    }
    while (*p == 'F' || *p == 'L' || *p == 'N') ++p;
    if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
      p += 3;
    } else if (*p == 'h' || *p == 'l') {
      ++p;
    }
    while (*p == 'F' || *p == 'L' || *p == 'N') ++p;
    if (*p == 0) break;
    if (!strchr(kKnown, *p)) OutputDebugStringA("CCharString::FormatV()::unknown formatting option");
    p += MbsCharLength(p);
  }
}

// Length up to the first zero byte within nMax bytes.
int BoundedLength(const char* p, int nMax) {
  const void* z = memchr(p, 0, (size_t)nMax);
  return z ? (int)(static_cast<const char*>(z) - p) : nMax;
}

}  // namespace

CCharString::CCharString() : pszText(EmptyText()), pBuffer(NULL), nGrowBy(kGrowBy), nMaxSize(kMaxSize) {}

CCharString::CCharString(const char* pszInit)
    : pszText(EmptyText()), pBuffer(NULL), nGrowBy(kGrowBy), nMaxSize(kMaxSize) {
  CMemoryFile* pNew = NewBuffer(pszInit, lstrlenA(pszInit));
  // A text too long for a string still leaves an (empty) buffer.
  if (pNew == NULL) pNew = NewBuffer(NULL, 0);
  Adopt(pNew);
}

CCharString::CCharString(const CCharString& src)
    : pszText(src.pszText), pBuffer(src.pBuffer), nGrowBy(kGrowBy), nMaxSize(kMaxSize) {
  if (pBuffer) ++pBuffer->nRefCount;
}

CCharString::CCharString(CCharString&& src) noexcept
    : pszText(src.pszText), pBuffer(src.pBuffer), nGrowBy(kGrowBy), nMaxSize(kMaxSize) {
  src.pBuffer = NULL;
  src.pszText = EmptyText();
}

CCharString::~CCharString() { Release(); }

// A fresh private buffer holding nCount bytes; NULL when they do not fit.
CMemoryFile* CCharString::NewBuffer(const char* pBytes, int nCount) const {
  CMemoryFile* pNew = new (std::nothrow) CMemoryFile;
  if (pNew == NULL) return NULL;
  pNew->SetGrowth(nGrowBy, nMaxSize);
  if (!pNew->Open("##CCharString##", CGenericFile::modeReadWrite)) {
    delete pNew;
    return NULL;
  }
  pNew->nRefCount = 1;
  if (nCount > 0 && pNew->Write(pBytes, nCount) != nCount) {
    delete pNew;
    return NULL;
  }
  return pNew;
}

// Takes pNew in place of the current buffer. The new buffer is always filled
// before the old one goes, so texts taken from this string stay valid.
void CCharString::Adopt(CMemoryFile* pNew) {
  Release();
  pBuffer = pNew;
  if (pBuffer && pBuffer->pData) pszText = pBuffer->pData;
}

BOOL CCharString::AssignBytes(const char* pBytes, int nCount) {
  CMemoryFile* pNew = NewBuffer(pBytes, nCount);
  if (pNew == NULL) return FALSE;
  Adopt(pNew);
  return TRUE;
}

BOOL CCharString::CopyBeforeWrite(BOOL bKeep) {
  if (pBuffer == NULL) return AssignBytes(NULL, 0);
  if (pBuffer->nRefCount >= 2) return bKeep ? AssignBytes(pszText, GetLength()) : AssignBytes(NULL, 0);
  return TRUE;
}

int CCharString::GetLength() const { return pBuffer ? pBuffer->GetPosition() : 0; }

BOOL CCharString::Assign(const char* pszNew) {
  if (pszNew == pszText) return TRUE;
  return AssignBytes(pszNew, lstrlenA(pszNew));
}

CCharString& CCharString::operator=(const CCharString& src) {
  if (this == &src) return *this;
  CMemoryFile* pShared = src.pBuffer;
  if (pShared) ++pShared->nRefCount;  // before Release, in case both share it
  char* pszShared = src.pszText;
  Release();
  pBuffer = pShared;
  pszText = pszShared;
  return *this;
}

CCharString& CCharString::operator=(CCharString&& src) noexcept {
  if (this == &src) return *this;
  Release();
  pBuffer = src.pBuffer;
  pszText = src.pszText;
  src.pBuffer = NULL;
  src.pszText = EmptyText();
  return *this;
}

CCharString& CCharString::operator=(const char* pszNew) {
  Assign(pszNew);
  return *this;
}

BOOL CCharString::Append(const char* pszMore) { return Append(pszMore, -1); }

BOOL CCharString::Append(const char* pszMore, int nCount) {
  int nMore = 0;
  if (pszMore != NULL) {
    if (nCount < 0) {
      nMore = lstrlenA(pszMore);
    } else {
      while (nMore < nCount && pszMore[nMore] != 0) ++nMore;
    }
  }
  if ((long long)GetLength() + nMore > nMaxSize) return FALSE;
  // A text taken from this string stays valid: a shared buffer lives on with
  // its other owners, and the memory file copies a source in its own block
  // before it grows.
  if (!CopyBeforeWrite(TRUE)) return FALSE;
  if (nMore == 0) return TRUE;
  BOOL bDone = pBuffer->Write(pszMore, nMore) == nMore;
  pszText = pBuffer->pData;
  return bDone;
}

CCharString& CCharString::operator+=(const char* pszMore) {
  Append(pszMore);
  return *this;
}

CCharString& CCharString::operator+=(char ch) {
  char sz[2] = {ch, 0};
  Append(sz);
  return *this;
}

int CCharString::Compare(const char* pszOther, BOOL bIgnoreCase) const {
  if (pszOther == NULL) pszOther = kEmptyText;
  if (bIgnoreCase) return _stricmp(pszText, pszOther);
  const unsigned char* a = reinterpret_cast<const unsigned char*>(pszText);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(pszOther);
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

BOOL CCharString::StartsWith(const char* pszPrefix, BOOL bIgnoreCase) const {
  int n = lstrlenA(pszPrefix);
  if (n == 0) return TRUE;
  return (bIgnoreCase ? _strnicmp(pszText, pszPrefix, n) : strncmp(pszText, pszPrefix, n)) == 0;
}

int CCharString::Find(char ch, int nStart) const {
  if (nStart < 0 || nStart > GetLength()) return -1;
  return MbsFindByte(pszText, nStart, (unsigned char)ch);
}

int CCharString::Find(const char* pszFind, int nStart) const {
  if (pszFind == NULL) pszFind = kEmptyText;
  if (nStart < 0 || (long long)nStart + lstrlenA(pszFind) > GetLength()) return -1;
  return MbsFindText(pszText, nStart, pszFind);
}

int CCharString::ReverseFind(const char* pszFind) const {
  return MbsFindLastText(pszText, pszFind ? pszFind : kEmptyText);
}

CCharString CCharString::Mid(int nStart, int nCount) const {
  CCharString result;
  int nLength = GetLength();
  if (nStart < 0 || nStart > nLength) return result;
  if (nCount < 0 || nCount > nLength - nStart) nCount = nLength - nStart;
  result.AssignBytes(pszText + nStart, nCount);
  return result;
}

CCharString CCharString::Left(int nCount) const {
  CCharString result;
  if (nCount < 0 || nCount > GetLength()) return result;
  result.AssignBytes(pszText, nCount);
  return result;
}

void CCharString::TrimLeft() {
  int nLength = GetLength();
  if (nLength == 0) return;
  int i = 0;
  while (i < nLength && IsWhite(pszText[i])) i += CharSizeAt(pszText, i, nLength);
  if (i == 0) return;
  AssignBytes(pszText + i, nLength - i);
}

void CCharString::TrimRight() {
  int nLength = GetLength();
  if (nLength == 0) return;
  int nEnd = 0;
  for (int i = 0; i < nLength;) {
    int n = CharSizeAt(pszText, i, nLength);
    if (n == 2 || !IsWhite(pszText[i])) nEnd = i + n;
    i += n;
  }
  if (nEnd == nLength) return;
  AssignBytes(pszText, nEnd);
}

void CCharString::Trim() {
  TrimRight();
  TrimLeft();
}

int CCharString::Replace(const char* pszOld, const char* pszNew) {
  int nOld = lstrlenA(pszOld);
  if (nOld == 0) return 0;
  int nNew = lstrlenA(pszNew);
  int nFirst = Find(pszOld, 0);
  if (nFirst < 0) return 0;

  const int nLength = GetLength();
  // Calls back for each occurrence from nFirst on, left to right without overlap.
  auto forEach = [&](auto onMatch) {
    for (int i = nFirst; i + nOld <= nLength;) {
      if (memcmp(pszText + i, pszOld, (size_t)nOld) == 0 && EndsOnBoundary(pszText, i, nOld, nLength)) {
        onMatch(i);
        i += nOld;
      } else {
        i += CharSizeAt(pszText, i, nLength);
      }
    }
  };
  int nCount = 0;
  forEach([&](int) { ++nCount; });
  long long nResult = nLength + (long long)nCount * (nNew - nOld);
  if (nResult > nMaxSize) return -1;

  CMemoryFile* pResult = NewBuffer(NULL, 0);
  if (pResult == NULL) return -1;
  // One reservation in whole growth steps instead of one per step.
  long long nSteps = (nResult + nGrowBy - 1) / nGrowBy;
  long long nReserve = nSteps * nGrowBy < nMaxSize ? nSteps * nGrowBy : nMaxSize;
  bool bOk = pResult->Reserve((int)nReserve) != FALSE;
  int nPrev = 0;
  forEach([&](int i) {
    bOk = bOk && pResult->Write(pszText + nPrev, i - nPrev) >= 0 && pResult->Write(pszNew, nNew) >= 0;
    nPrev = i + nOld;
  });
  bOk = bOk && pResult->Write(pszText + nPrev, nLength - nPrev) >= 0;
  if (!bOk) {
    delete pResult;
    return -1;
  }
  Adopt(pResult);
  return nCount;
}

BOOL CCharString::Format(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  BOOL bResult = FormatV(pszFormat, args);
  va_end(args);
  return bResult;
}

BOOL CCharString::FormatV(const char* pszFormat, va_list args) {
  if (pszFormat == NULL) return FALSE;
  ReportUnknownConversions(pszFormat);

  // The formatter measures itself: try a size, double it until the output
  // fits with its terminator. Output past nMaxSize is refused whole.
  char szLocal[1024];
  va_list ap;
  va_copy(ap, args);
  int n = _vsnprintf(szLocal, sizeof(szLocal), pszFormat, ap);
  va_end(ap);
  if (n >= 0 && n < (int)sizeof(szLocal)) return AssignBytes(szLocal, BoundedLength(szLocal, n));

  for (int nSize = 4096;; nSize *= 2) {
    if (nSize > nMaxSize + 1) nSize = nMaxSize + 1;
    std::unique_ptr<char[]> pTemp(new (std::nothrow) char[nSize]);
    if (!pTemp) return FALSE;
    va_copy(ap, args);
    n = _vsnprintf(pTemp.get(), (size_t)nSize, pszFormat, ap);
    va_end(ap);
    if (n >= 0 && n < nSize) return AssignBytes(pTemp.get(), BoundedLength(pTemp.get(), n));
    if (nSize == nMaxSize + 1) return FALSE;
  }
}

char* CCharString::GetBuffer(int nMinSize) {
  if (nMinSize < 0) nMinSize = 0;
  if (nMinSize > nMaxSize) return NULL;
  CMemoryFile* pNew = NewBuffer(NULL, 0);
  if (pNew == NULL) return NULL;
  if (!pNew->Reserve(nMinSize)) {
    delete pNew;
    return NULL;
  }
  Adopt(pNew);
  return pszText;
}

void CCharString::ReleaseBuffer(int nNewLength) {
  if (pBuffer == NULL || pBuffer->pData == NULL) return;
  // Never cut the text of other owners.
  if (pBuffer->nRefCount >= 2 && !CopyBeforeWrite(TRUE)) return;
  char* pData = pBuffer->pData;
  int nCapacity = pBuffer->GetCapacity();
  if (nNewLength < 0) nNewLength = BoundedLength(pData, nCapacity);
  if (nNewLength > nCapacity) nNewLength = nCapacity;
  pData[nNewLength] = 0;
  pData[nNewLength + 1] = 0;
  pBuffer->ReleaseBuffer(nNewLength);
  pBuffer->Seek(nNewLength, CGenericFile::seekBegin);
  pszText = pData;
}

void CCharString::Release() {
  if (pBuffer != NULL && --pBuffer->nRefCount <= 0) delete pBuffer;
  pBuffer = NULL;
  pszText = EmptyText();
}

CCharString operator+(const CCharString& left, const char* pszRight) {
  CCharString result(left);
  result.Append(pszRight);
  return result;
}

CCharString operator+(const char* pszLeft, const CCharString& right) {
  CCharString result(pszLeft);
  result.Append(right);
  return result;
}

CCharString operator+(const CCharString& left, const CCharString& right) {
  CCharString result(left);
  result.Append(right);
  return result;
}

CCharString operator+(const CCharString& left, char chRight) {
  CCharString result(left);
  result += chRight;
  return result;
}

CCharString operator+(char chLeft, const CCharString& right) {
  char sz[2] = {chLeft, 0};
  CCharString result(sz);
  result.Append(right);
  return result;
}
