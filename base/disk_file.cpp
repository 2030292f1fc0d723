#include "base/disk_file.h"

#include <string.h>

CDiskFile::CDiskFile() : hFile(NULL) { memset(szFileName, 0, sizeof(szFileName)); }

CDiskFile::~CDiskFile() { Close(); }

BOOL CDiskFile::Open(const char* pszName, int nMode) {
  if (IsOpen()) Close();
  const DWORD dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (nMode & modeWrite) {
    DWORD dwAccess = GENERIC_WRITE | ((nMode & modeRead) ? GENERIC_READ : 0);
    DWORD dwCreation = nMode == modeWrite ? CREATE_ALWAYS : OPEN_ALWAYS;
    return OpenEx(pszName, dwAccess, dwShare, dwCreation);
  }
  if (nMode & modeRead) return OpenEx(pszName, GENERIC_READ, dwShare, OPEN_EXISTING);
  return FALSE;
}

BOOL CDiskFile::OpenEx(const char* pszName, DWORD dwAccess, DWORD dwShareMode, DWORD dwCreation) {
  if (IsOpen()) Close();
  if (pszName == NULL) return FALSE;
  HANDLE h = CreateFileA(pszName, dwAccess, dwShareMode, NULL, dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
  if (h == INVALID_HANDLE_VALUE) {
    hFile = NULL;
    return FALSE;
  }
  hFile = h;
  lstrcpynA(szFileName, pszName, sizeof(szFileName));
  return TRUE;
}

BOOL CDiskFile::IsOpen() const { return hFile != NULL; }

int CDiskFile::Read(void* pBuffer, int nCount) {
  if (!IsOpen() || nCount < 0 || (pBuffer == NULL && nCount > 0)) return -1;
  // A read of nothing says nothing about the end of the file.
  if (nCount == 0) return 0;
  DWORD dwRead = 0;
  if (!ReadFile(hFile, pBuffer, (DWORD)nCount, &dwRead, NULL)) return -1;
  bEOF = dwRead == 0;
  return (int)dwRead;
}

int CDiskFile::Write(const void* pBuffer, int nCount) {
  if (!IsOpen() || nCount < 0 || (pBuffer == NULL && nCount > 0)) return -1;
  if (nCount == 0) return 0;
  DWORD dwWritten = 0;
  if (!WriteFile(hFile, pBuffer, (DWORD)nCount, &dwWritten, NULL)) return -1;
  return (int)dwWritten;
}

BOOL CDiskFile::Seek(int nOffset, int nOrigin) {
  if (!IsOpen()) return FALSE;
  return SetFilePointer(hFile, nOffset, NULL, (DWORD)nOrigin) != INVALID_SET_FILE_POINTER;
}

BOOL CDiskFile::Close() {
  if (!IsOpen()) return FALSE;
  CloseHandle(hFile);
  hFile = NULL;
  return TRUE;
}

BOOL CDiskFile::Flush() { return TRUE; }

int CDiskFile::GetLength() const {
  if (!IsOpen()) return -1;
  return (int)GetFileSize(hFile, NULL);
}

int CDiskFile::GetPosition() const {
  if (!IsOpen()) return -1;
  return (int)SetFilePointer(hFile, 0, NULL, FILE_CURRENT);
}

BOOL CDiskFile::Truncate() {
  if (!IsOpen()) return FALSE;
  return SetEndOfFile(hFile);
}
