#pragma once
#include <windows.h>

#include "base/generic_file.h"

// Hands every operation to an inner file, which it deletes on Close when it
// owns it.
class CFilterFile : public CGenericFile {
public:
  explicit CFilterFile(CGenericFile* pInnerFile = NULL, BOOL bOwns = FALSE);
  ~CFilterFile() override;

  BOOL Open(const char* pszName, int nMode) override;
  BOOL IsOpen() const override;
  int Read(void* pBuffer, int nCount) override;
  int Write(const void* pBuffer, int nCount) override;
  BOOL Seek(int nOffset, int nOrigin) override;
  BOOL Close() override;
  BOOL Flush() override;
  int GetLength() const override;
  int GetPosition() const override;
  BOOL Truncate() override;
  BOOL SetLength(int nNewLength) override;

  CGenericFile* pInner;
  BOOL bOwnsInner;
};
