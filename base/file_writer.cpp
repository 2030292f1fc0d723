#include "base/file_writer.h"

#include <new>

CFileWriter::CFileWriter(CDiskFile* pDiskFile) : pFile(pDiskFile), bOwnsFile(FALSE) {}

CFileWriter::~CFileWriter() {
  if (bCloseOnDestroy) {
    Close();
  } else if (bOwnsFile) {
    delete pFile;  // an owned file is never left behind
  }
}

int CFileWriter::Write(const void* pBuffer, int nCount) {
  if (!IsOpen()) return -1;
  return pFile->Write(pBuffer, nCount);
}

BOOL CFileWriter::IsOpen() const { return pFile != NULL && pFile->IsOpen(); }

BOOL CFileWriter::Close() {
  if (pFile == NULL) return FALSE;
  BOOL bClosed = pFile->Close();
  if (bOwnsFile) delete pFile;
  pFile = NULL;
  bOwnsFile = FALSE;
  return bClosed;
}

BOOL CFileWriter::WaitWritable(int /*nTimeoutMSec*/) { return TRUE; }

// Takes an opened file (or the failure of opening it) in place of the current one.
BOOL CFileWriter::Attach(CDiskFile* pOpened) {
  if (pFile != NULL) Close();
  bOwnsFile = TRUE;
  bCloseOnDestroy = TRUE;
  if (pOpened == NULL) return FALSE;
  if (!pOpened->IsOpen()) {
    delete pOpened;
    return FALSE;
  }
  pFile = pOpened;
  return pFile->Seek(0, CGenericFile::seekEnd);
}

BOOL CFileWriter::Create(const char* pszName) {
  CDiskFile* pNew = new (std::nothrow) CDiskFile;
  if (pNew != NULL) pNew->Open(pszName, CGenericFile::modeWrite);
  return Attach(pNew);
}

BOOL CFileWriter::OpenAppend(const char* pszName) {
  CDiskFile* pNew = new (std::nothrow) CDiskFile;
  if (pNew != NULL) pNew->OpenEx(pszName, FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
  return Attach(pNew);
}
