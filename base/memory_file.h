#pragma once
#include <windows.h>

#include "base/generic_file.h"

// A growable block of memory behind the file interface. While a block exists
// the two bytes after the data are zero, so the content always reads as a
// zero-terminated text. The storage of every CCharString and of Array.
class CMemoryFile : public CGenericFile {
public:
  enum { kDefaultGrowBy = 1024, kDefaultMaxSize = 0x100000 };

  CMemoryFile();
  ~CMemoryFile() override;

  BOOL Open(const char* pszName, int nMode) override;  // the name is ignored
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

  virtual char* GetBuffer(int nMinCapacity);  // -1: no reservation
  virtual void ReleaseBuffer(int nNewLength);  // -1: keep the length
  virtual int FreeExtra();
  virtual int GetCapacity() const;
  virtual BOOL Reserve(int nNewCapacity);

  BOOL SetGrowth(int nStep, int nMaximum);

  int nRefCount;  // kept by CCharString only
  int nMaxSize;
  int nCapacity;  // the block has two bytes more
  int nLength;
  int nGrowBy;
  int nPosition;
  char* pData;
  int nMode;
};
