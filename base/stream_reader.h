#pragma once
#include <windows.h>

// An abstract byte source that can also cut its input into text lines. A line
// ends at LF (consumed, not stored); CR is dropped wherever it stands.
//
// Every Read returns the bytes placed in the buffer (at most n), 0 when
// nothing more will come, -1 on an error; IsEOF becomes true only together
// with, or after, a Read that returned 0.
class CStreamReader {
public:
  enum { kDefaultMaxLine = 4096, kFirstLineBuffer = 256 };

  CStreamReader();
  virtual ~CStreamReader();

  // One line into the internal buffer (GetLine). FALSE at the end, on an
  // error, and for a line of nMaxLine bytes or more (its first nMaxLine bytes
  // are consumed then).
  virtual BOOL ReadLine();
  // One line into the caller's buffer: the count stored, or -1 at the end or
  // on an error. When the line fills the buffer, size is returned at once
  // without a terminator and the rest of the line stays unread.
  virtual int ReadLine(char* pBuffer, int nSize);
  virtual BOOL IsEOF() const;
  // Returns the previous limit; limits below 1 are refused.
  virtual int SetMaxLineLength(int nMax);
  virtual int Read(void* pBuffer, int nCount) = 0;
  virtual BOOL IsOpen() const = 0;
  virtual BOOL Close();
  // > 0 data ready, 0 time-out, < 0 error.
  virtual int WaitForData(int nTimeoutMSec) = 0;
  virtual BOOL IsReadable() const;

  // The text of the last ReadLine(), without CR and LF.
  const char* GetLine() const;

  BOOL bEOF;
  BOOL bCloseOnDestroy;
  char* pszLine;
  int nLineCapacity;  // the block has two bytes more
  int nMaxLine;

protected:
  void EnsureLineBuffer(int nSize);

private:
  CStreamReader(const CStreamReader&) = delete;
  CStreamReader& operator=(const CStreamReader&) = delete;
};
