#pragma once
#include <windows.h>

#include "base/generic_file.h"

// A file on disk through a Win32 handle. Every mode lets other handles and
// processes read and write the same file meanwhile.
class CDiskFile : public CGenericFile {
public:
  CDiskFile();
  ~CDiskFile() override;

  // Mode 1: existing file, read. Mode 2: created or emptied, write.
  // Mode 3: opened or created without emptying, read and write.
  BOOL Open(const char* pszName, int nMode) override;
  BOOL OpenEx(const char* pszName, DWORD dwAccess, DWORD dwShareMode, DWORD dwCreation);
  BOOL IsOpen() const override;
  int Read(void* pBuffer, int nCount) override;
  int Write(const void* pBuffer, int nCount) override;
  BOOL Seek(int nOffset, int nOrigin) override;
  BOOL Close() override;
  BOOL Flush() override;
  int GetLength() const override;
  int GetPosition() const override;
  BOOL Truncate() override;

  HANDLE hFile;
  char szFileName[MAX_PATH + 1];
};
