#pragma once
#include <windows.h>

// Abstract random-access file. Results are integers: TRUE/FALSE, byte counts,
// and -1 for failure; nothing throws.
class CGenericFile {
public:
  CGenericFile();
  virtual ~CGenericFile();

  // Mode bits for Open.
  enum { modeRead = 1, modeWrite = 2, modeReadWrite = 3 };
  // Origins for Seek.
  enum { seekBegin = 0, seekCurrent = 1, seekEnd = 2 };

  virtual BOOL Open(const char* pszName, int nMode) = 0;
  virtual BOOL IsOpen() const = 0;
  virtual int Read(void* pBuffer, int nCount) = 0;
  virtual int Write(const void* pBuffer, int nCount) = 0;
  virtual BOOL Seek(int nOffset, int nOrigin) = 0;
  virtual BOOL Close() = 0;
  virtual BOOL Flush() = 0;
  virtual int GetLength() const = 0;
  virtual BOOL IsEOF() const;
  virtual int GetPosition() const = 0;
  virtual BOOL Truncate() = 0;  // ends the file at the current position
  virtual BOOL SetLength(int nNewLength);

  BOOL bEOF;

private:
  CGenericFile(const CGenericFile&) = delete;
  CGenericFile& operator=(const CGenericFile&) = delete;
};
