#include "base/filter_reader.h"

CFilterReader::CFilterReader(CStreamReader* pInnerReader) : pInner(pInnerReader) {}

CFilterReader::~CFilterReader() {
  if (bCloseOnDestroy && pInner != NULL) pInner->Close();
}

int CFilterReader::Read(void* pBuffer, int nCount) {
  if (pInner == NULL) return -1;
  int n = pInner->Read(pBuffer, nCount);
  // IsEOF answers from the filter's own flag; keep it in step with the inner reader.
  bEOF = pInner->IsEOF();
  return n;
}

BOOL CFilterReader::IsOpen() const { return pInner ? pInner->IsOpen() : FALSE; }

BOOL CFilterReader::Close() { return pInner ? pInner->Close() : FALSE; }

int CFilterReader::WaitForData(int nTimeoutMSec) { return pInner ? pInner->WaitForData(nTimeoutMSec) : -1; }
