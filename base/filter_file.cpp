#include "base/filter_file.h"

CFilterFile::CFilterFile(CGenericFile* pInnerFile, BOOL bOwns) : pInner(pInnerFile), bOwnsInner(bOwns) {}

CFilterFile::~CFilterFile() { Close(); }

BOOL CFilterFile::Open(const char* pszName, int nMode) {
  return pInner ? pInner->Open(pszName, nMode) : FALSE;
}

BOOL CFilterFile::IsOpen() const { return pInner ? pInner->IsOpen() : FALSE; }

int CFilterFile::Read(void* pBuffer, int nCount) {
  if (!pInner) return -1;
  int nRead = pInner->Read(pBuffer, nCount);
  // The filter keeps its own end flag; mirror the inner file's so it means something.
  bEOF = pInner->IsEOF();
  return nRead;
}

int CFilterFile::Write(const void* pBuffer, int nCount) {
  return pInner ? pInner->Write(pBuffer, nCount) : -1;
}

BOOL CFilterFile::Seek(int nOffset, int nOrigin) {
  return pInner ? pInner->Seek(nOffset, nOrigin) : FALSE;
}

BOOL CFilterFile::Close() {
  if (bOwnsInner) delete pInner;
  pInner = NULL;
  bOwnsInner = FALSE;
  return TRUE;
}

BOOL CFilterFile::Flush() { return pInner ? pInner->Flush() : FALSE; }

int CFilterFile::GetLength() const { return pInner ? pInner->GetLength() : -1; }

int CFilterFile::GetPosition() const { return pInner ? pInner->GetPosition() : -1; }

BOOL CFilterFile::Truncate() { return pInner ? pInner->Truncate() : FALSE; }

BOOL CFilterFile::SetLength(int nNewLength) {
  return pInner ? pInner->SetLength(nNewLength) : FALSE;
}
