#include "base/stream_reader.h"

#include <string.h>

#include <new>

CStreamReader::CStreamReader()
    : bEOF(FALSE), bCloseOnDestroy(FALSE), pszLine(NULL), nLineCapacity(0), nMaxLine(kDefaultMaxLine) {}

CStreamReader::~CStreamReader() { EnsureLineBuffer(-1); }

BOOL CStreamReader::IsEOF() const { return bEOF; }

int CStreamReader::SetMaxLineLength(int nMax) {
  int nPrevious = nMaxLine;
  // A limit below one byte would leave no room for the terminator.
  if (nMax >= 1) nMaxLine = nMax;
  return nPrevious;
}

BOOL CStreamReader::Close() { return TRUE; }

BOOL CStreamReader::IsReadable() const { return TRUE; }

const char* CStreamReader::GetLine() const { return pszLine ? pszLine : ""; }

void CStreamReader::EnsureLineBuffer(int nSize) {
  if (nSize < 0) {
    delete[] pszLine;
    pszLine = NULL;
    nLineCapacity = 0;
    return;
  }
  if (nSize > nMaxLine) nSize = nMaxLine;
  if (nLineCapacity > nSize) return;
  char* pNew = new (std::nothrow) char[nSize + 2];
  if (pNew == NULL) return;  // the caller sees the capacity unchanged
  memset(pNew, 0, (size_t)nSize + 2);
  if (pszLine != NULL) {
    const void* pEnd = memchr(pszLine, 0, (size_t)nLineCapacity + 2);
    int nOld = pEnd ? (int)(static_cast<const char*>(pEnd) - pszLine) : nLineCapacity;
    memcpy(pNew, pszLine, (size_t)(nOld < nSize ? nOld : nSize));
  }
  delete[] pszLine;
  pszLine = pNew;
  nLineCapacity = nSize;
}

int CStreamReader::ReadLine(char* pBuffer, int nSize) {
  if (nSize <= 0) return 0;
  if (!IsReadable() || pBuffer == NULL) return -1;
  int i = 0;
  for (;;) {
    char ch;
    int n = Read(&ch, 1);
    if (n == 0) return i > 0 ? i : -1;
    if (n < 0) return -1;
    if (IsEOF() || ch == '\n') {
      pBuffer[i] = 0;
      return i;
    }
    if (ch == '\r') continue;
    pBuffer[i++] = ch;
    if (i == nSize) return nSize;
    pBuffer[i] = 0;
  }
}

BOOL CStreamReader::ReadLine() {
  EnsureLineBuffer(kFirstLineBuffer);
  if (pszLine == NULL) return FALSE;
  pszLine[0] = 0;
  if (IsEOF()) return FALSE;
  int nPos = 0;
  while (nPos < nMaxLine) {
    if (nPos >= nLineCapacity) {
      pszLine[nPos] = 0;
      EnsureLineBuffer(2 * nPos);
      if (nPos >= nLineCapacity) return FALSE;  // could not grow
    }
    // Never past the limit, even when the buffer is larger than it.
    int nRoom = (nLineCapacity < nMaxLine ? nLineCapacity : nMaxLine) - nPos;
    int n = ReadLine(pszLine + nPos, nRoom);
    if (n < 0) {
      // The previous piece filled the buffer exactly and the stream ended
      // right after it: that was the last line, not a failure.
      if (nPos > 0 && IsEOF()) {
        pszLine[nPos] = 0;
        return TRUE;
      }
      return FALSE;
    }
    if (n < nRoom) return TRUE;
    nPos += n;
  }
  pszLine[nPos] = 0;
  return FALSE;
}
