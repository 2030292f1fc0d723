#include "base/file_reader.h"

#include <new>

CFileReader::CFileReader(CDiskFile* pDiskFile) : pFile(pDiskFile), bOwnsFile(FALSE) {}

CFileReader::~CFileReader() {
  if (bCloseOnDestroy) {
    Close();
  } else if (bOwnsFile) {
    delete pFile;  // an owned file is never left behind
  }
}

int CFileReader::Read(void* pBuffer, int nCount) { return pFile ? pFile->Read(pBuffer, nCount) : -1; }

BOOL CFileReader::IsOpen() const { return pFile ? pFile->IsOpen() : FALSE; }

BOOL CFileReader::IsEOF() const { return pFile ? pFile->IsEOF() : bEOF; }

BOOL CFileReader::Close() {
  if (pFile == NULL) return FALSE;
  BOOL bClosed = pFile->Close();
  if (bOwnsFile) delete pFile;
  pFile = NULL;
  bOwnsFile = FALSE;
  return bClosed;
}

int CFileReader::WaitForData(int /*nTimeoutMSec*/) { return 1; }

BOOL CFileReader::Open(const char* pszName) {
  // A file attached before is let go first, so an owned one is not leaked.
  if (pFile != NULL) Close();
  bOwnsFile = TRUE;
  bCloseOnDestroy = TRUE;
  pFile = new (std::nothrow) CDiskFile;
  if (pFile == NULL) return FALSE;
  return pFile->Open(pszName, CGenericFile::modeRead);
}
