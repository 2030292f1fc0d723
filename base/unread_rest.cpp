#include "base/unread_rest.h"

#include <new>

CUnreadRest::CUnreadRest() : bLost(FALSE) {}

void CUnreadRest::Clear() {
  sBytes.clear();
  bLost = FALSE;
}

BOOL CUnreadRest::Take(CDiskFile* pFile, int nOffset) {
  Clear();
  int nLength = pFile ? pFile->GetLength() : -1;
  if (nLength >= 0 && nOffset >= nLength) return TRUE;
  bLost = TRUE;
  if (nLength < 0 || nOffset < 0 || nLength - nOffset > kMaxBytes) return FALSE;
  if (!pFile->Seek(nOffset, CGenericFile::seekBegin)) return FALSE;
  try {
    sBytes.resize((size_t)(nLength - nOffset));
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  for (size_t nDone = 0; nDone < sBytes.size();) {
    int n = pFile->Read(&sBytes[nDone], (int)(sBytes.size() - nDone));
    if (n <= 0) {
      sBytes.clear();
      return FALSE;
    }
    nDone += (size_t)n;
  }
  bLost = FALSE;
  return TRUE;
}

BOOL CUnreadRest::WriteTo(CStreamWriter* pWriter) const {
  if (sBytes.empty()) return TRUE;
  return pWriter != NULL && pWriter->WriteAll(sBytes.data(), (int)sBytes.size());
}
