#include "base/cache_reader.h"

#include <string.h>

#include <new>

CCacheReader::CCacheReader(CStreamReader* pInnerReader, int nSize)
    : CFilterReader(pInnerReader),
      pCache(NULL),
      // A cache of nothing could never be refilled.
      nCacheSize(nSize > 0 ? nSize : kDefaultCacheSize),
      nCachePos(0),
      nCacheCount(0),
      bExhausted(FALSE) {
  pCache = new (std::nothrow) char[nCacheSize + 1];
}

CCacheReader::~CCacheReader() {
  if (bCloseOnDestroy) Close();  // clears pInner, so the base closes nothing more
  FreeCache();
}

int CCacheReader::Read(void* pBuffer, int nCount) {
  if (nCount < 0 || (pBuffer == NULL && nCount > 0)) return -1;
  char* pOut = static_cast<char*>(pBuffer);
  int nHeld = nCacheCount - nCachePos;
  int nTaken = nCount < nHeld ? nCount : nHeld;
  if (nTaken > 0) {
    memcpy(pOut, pCache + nCachePos, (size_t)nTaken);
    nCachePos += nTaken;
  }
  int nRest = nCount - nTaken;
  if (nRest <= 0) return nTaken;
  if (pInner == NULL) return nTaken > 0 ? nTaken : -1;

  if (!bExhausted) {
    if (pCache == NULL) pCache = new (std::nothrow) char[nCacheSize + 1];
    int nGot = pCache ? pInner->Read(pCache, nCacheSize) : -1;
    BOOL bInnerEnd = pInner->IsEOF();
    if (nGot > 0 || (nGot == 0 && !bInnerEnd)) {
      if (nGot > nCacheSize) nGot = nCacheSize;
      nCacheCount = nGot;
      nCachePos = 0;
      // Bytes that came together with the end are still delivered.
      if (bInnerEnd) bExhausted = TRUE;
      int nMore = nRest < nGot ? nRest : nGot;
      memcpy(pOut + nTaken, pCache, (size_t)nMore);
      nCachePos = nMore;
      return nTaken + nMore;
    }
    bExhausted = TRUE;
    if (nTaken > 0) return nTaken;
  } else if (nTaken > 0) {
    return nTaken;
  }
  bEOF = pInner->IsEOF();
  return bEOF ? 0 : -1;
}

BOOL CCacheReader::IsOpen() const { return pInner ? pInner->IsOpen() : FALSE; }

BOOL CCacheReader::Close() {
  if (pInner == NULL) return FALSE;
  BOOL bClosed = pInner->Close();
  pInner = NULL;
  FreeCache();
  return bClosed;
}

int CCacheReader::WaitForData(int nTimeoutMSec) {
  // Only bytes still held count as ready.
  int nHeld = nCacheCount - nCachePos;
  if (nHeld > 0) return nHeld;
  return pInner ? pInner->WaitForData(nTimeoutMSec) : -1;
}

BOOL CCacheReader::FreeCache() {
  delete[] pCache;
  pCache = NULL;
  nCachePos = nCacheCount = 0;
  return TRUE;
}
