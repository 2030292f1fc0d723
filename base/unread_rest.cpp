#include "base/unread_rest.h"

CUnreadRest::CUnreadRest() : bLost(FALSE) {}

void CUnreadRest::Clear() {
  sBytes.Release();
  bLost = FALSE;
}

BOOL CUnreadRest::Take(CDiskFile* pFile, int nOffset) {
  Clear();
  int nLength = pFile ? pFile->GetLength() : -1;
  if (nLength >= 0 && nOffset >= nLength) return TRUE;
  bLost = TRUE;
  if (nLength < 0 || nOffset < 0 || nLength - nOffset > kMaxBytes) return FALSE;
  if (!pFile->Seek(nOffset, CGenericFile::seekBegin)) return FALSE;
  int nSize = nLength - nOffset;
  char* pBytes = sBytes.GetBuffer(nSize);
  if (pBytes == NULL) return FALSE;
  for (int nDone = 0; nDone < nSize;) {
    int n = pFile->Read(pBytes + nDone, nSize - nDone);
    if (n <= 0) {
      sBytes.Release();
      return FALSE;
    }
    nDone += n;
  }
  sBytes.ReleaseBuffer(nSize);
  bLost = FALSE;
  return TRUE;
}

BOOL CUnreadRest::WriteTo(CStreamWriter* pWriter) const {
  if (sBytes.GetLength() == 0) return TRUE;
  return pWriter != NULL && pWriter->WriteAll(sBytes, sBytes.GetLength());
}
