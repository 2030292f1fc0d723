#include "base/replacing_file_writer.h"

#include "base/mbcs.h"

namespace {

// The folder part of a file name ("." when it has none), for a temporary
// file beside it.
CCharString FolderOf(const char* pszName) {
  int nSlash = MbsFindLastByte(pszName, '\\');
  int nForward = MbsFindLastByte(pszName, '/');
  if (nForward > nSlash) nSlash = nForward;
  if (nSlash < 0) return CCharString(".");
  CCharString sName(pszName);
  // "C:\x" keeps its root; a bare "\x" means the root of the current drive.
  return sName.Left(nSlash == 0 || (nSlash == 2 && pszName[1] == ':') ? nSlash + 1 : nSlash);
}

}  // namespace

CReplacingFileWriter::CReplacingFileWriter() {}

CReplacingFileWriter::~CReplacingFileWriter() { Discard(); }

BOOL CReplacingFileWriter::Create(const char* pszName) {
  Discard();
  if (pszName == NULL || *pszName == 0) return FALSE;
  char szTemp[MAX_PATH];
  if (GetTempFileNameA(FolderOf(pszName), "csv", 0, szTemp) == 0) return FALSE;
  sTarget = pszName;
  sTempName = szTemp;
  if (CFileWriter::Create(szTemp)) return TRUE;
  Discard();
  return FALSE;
}

BOOL CReplacingFileWriter::Commit() {
  if (sTempName.IsEmpty() || !IsOpen()) {
    Discard();
    return FALSE;
  }
  // The content must be on disk before it takes the old file's place.
  BOOL bWritten = FlushFileBuffers(pFile->hFile) && Close();
  if (bWritten && MoveFileExA(sTempName, sTarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    sTempName.Release();
    return TRUE;
  }
  Discard();
  return FALSE;
}

void CReplacingFileWriter::Discard() {
  Close();
  if (!sTempName.IsEmpty()) DeleteFileA(sTempName);
  sTempName.Release();
}
