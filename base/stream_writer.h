#pragma once
#include <windows.h>

// An abstract byte sink.
class CStreamWriter {
public:
  CStreamWriter();
  virtual ~CStreamWriter();

  virtual int Write(const void* pBuffer, int nCount) = 0;
  virtual BOOL IsOpen() const = 0;
  virtual BOOL Close();
  virtual BOOL WaitWritable(int nTimeoutMSec) = 0;
  // Writes everything, in chunks of at most nChunkSize bytes when that is
  // positive; stops with FALSE at the first write that writes nothing or fails.
  virtual BOOL WriteAll(const void* pBuffer, int nCount);

  int nChunkSize;  // -1: no limit
  BOOL bCloseOnDestroy;

private:
  CStreamWriter(const CStreamWriter&) = delete;
  CStreamWriter& operator=(const CStreamWriter&) = delete;
};
