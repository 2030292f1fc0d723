#include "base/memory_file.h"

#include <stdlib.h>
#include <string.h>

#include <memory>
#include <new>

CMemoryFile::CMemoryFile()
    : nRefCount(0),
      nMaxSize(kDefaultMaxSize),
      nCapacity(0),
      nLength(0),
      nGrowBy(kDefaultGrowBy),
      nPosition(0),
      pData(NULL),
      nMode(0) {}

CMemoryFile::~CMemoryFile() { Close(); }

BOOL CMemoryFile::Open(const char* /*pszName*/, int nOpenMode) {
  nMode = nOpenMode;
  long long nWanted = (long long)nCapacity + nGrowBy;
  if (nWanted > nMaxSize) return FALSE;
  return Reserve((int)nWanted);
}

BOOL CMemoryFile::IsOpen() const { return pData != NULL; }

int CMemoryFile::Read(void* pBuffer, int nCount) {
  if (pData == NULL) Open(NULL, modeReadWrite);
  if (!(nMode & modeRead)) return -1;
  if (nCount < 0 || (pBuffer == NULL && nCount > 0)) return -1;
  // The position may stand past the data after ReleaseBuffer shortened it.
  int nAvailable = nLength > nPosition ? nLength - nPosition : 0;
  int nRead = nCount < nAvailable ? nCount : nAvailable;
  if (nRead > 0) memcpy(pBuffer, pData + nPosition, (size_t)nRead);
  nPosition += nRead;
  if (nPosition >= nLength) bEOF = TRUE;
  return nRead;
}

int CMemoryFile::Write(const void* pBuffer, int nCount) {
  if (pData == NULL) Open(NULL, modeReadWrite);
  if (!(nMode & modeWrite)) return -1;
  if (nCount < 0 || (pBuffer == NULL && nCount > 0)) return -1;
  if ((long long)nPosition + nCount > nMaxSize) return -1;

  const char* pSource = static_cast<const char*>(pBuffer);
  std::unique_ptr<char[]> pCopy;
  if (pData == NULL || (long long)nCapacity - nPosition < nCount) {
    // The source may lie in the block that the growth is about to free.
    if (pData != NULL && nCount > 0 && pSource >= pData && pSource < pData + nCapacity + 2) {
      pCopy.reset(new (std::nothrow) char[nCount]);
      if (!pCopy) return -1;
      memcpy(pCopy.get(), pSource, (size_t)nCount);
      pSource = pCopy.get();
    }
    long long nShort = (long long)nCount - ((long long)nCapacity - nPosition);
    if (nShort < 0) nShort = 0;
    long long nNew = nCapacity + (long long)nGrowBy * (nShort / nGrowBy + 1);
    if (nNew > nMaxSize) nNew = nMaxSize;
    if (!Reserve((int)nNew) || pData == NULL) return -1;
  }
  if (nCount > 0) memmove(pData + nPosition, pSource, (size_t)nCount);
  nPosition += nCount;
  if (nPosition > nLength) nLength = nPosition;
  pData[nLength] = 0;
  pData[nLength + 1] = 0;
  return nCount;
}

BOOL CMemoryFile::Seek(int nOffset, int nOrigin) {
  long long nTarget;
  switch (nOrigin) {
    case seekBegin: nTarget = nOffset; break;
    case seekCurrent: nTarget = (long long)nPosition + nOffset; break;
    case seekEnd: nTarget = (long long)nLength + nOffset; break;
    default: nTarget = nPosition; break;
  }
  if (nTarget < 0) nTarget = 0;
  if (nTarget > nLength) nTarget = nLength;
  nPosition = (int)nTarget;
  return TRUE;
}

BOOL CMemoryFile::Close() {
  free(pData);
  pData = NULL;
  nPosition = nLength = nCapacity = nMode = 0;
  return TRUE;
}

BOOL CMemoryFile::Flush() { return IsOpen(); }

int CMemoryFile::GetLength() const { return pData == NULL ? -1 : nLength; }

int CMemoryFile::GetPosition() const { return nPosition; }

BOOL CMemoryFile::Truncate() { return SetLength(GetPosition()); }

BOOL CMemoryFile::SetLength(int nNewLength) {
  if (nNewLength < 0 || nNewLength > nMaxSize) return FALSE;
  // Without the reservation the length would point past the block.
  if (nNewLength > nCapacity && !Reserve(nNewLength)) return FALSE;
  nLength = nNewLength;
  if (nPosition > nLength) nPosition = nLength;
  return TRUE;
}

char* CMemoryFile::GetBuffer(int nMinCapacity) {
  if (nMinCapacity >= 0) Reserve(nMinCapacity);
  return pData;
}

void CMemoryFile::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0) return;
  // Never a length beyond the block.
  nLength = nNewLength < nCapacity ? nNewLength : nCapacity;
}

int CMemoryFile::FreeExtra() {
  int nOld = nCapacity;
  nCapacity = 0;
  if (!Reserve(nLength)) {
    nCapacity = nOld;  // the old block stays in use
    return 0;
  }
  return nOld - nLength;
}

int CMemoryFile::GetCapacity() const { return nCapacity; }

BOOL CMemoryFile::Reserve(int nNewCapacity) {
  if (nNewCapacity > nMaxSize) return FALSE;
  if (nNewCapacity <= nCapacity) return TRUE;
  // Zero-filled so that no byte of the block is ever undefined.
  char* pNew = static_cast<char*>(calloc((size_t)nNewCapacity + 2, 1));
  if (pNew == NULL) return FALSE;
  if (pData != NULL && nLength > 0) memcpy(pNew, pData, (size_t)nLength);
  free(pData);
  pData = pNew;
  nCapacity = nNewCapacity;
  pData[nLength] = 0;
  pData[nLength + 1] = 0;
  return TRUE;
}

BOOL CMemoryFile::SetGrowth(int nStep, int nMaximum) {
  if (nStep > 0) nGrowBy = nStep;
  if (nMaximum > 0) nMaxSize = nMaximum;
  return TRUE;
}
