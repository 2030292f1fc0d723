#pragma once
#include <windows.h>

#include "base/disk_file.h"
#include "base/stream_reader.h"

// Reads a disk file. A file handed in at construction is neither owned nor
// closed on destruction; Open attaches an owned one and closes it on
// destruction.
class CFileReader : public CStreamReader {
public:
  explicit CFileReader(CDiskFile* pDiskFile = NULL);
  ~CFileReader() override;

  int Read(void* pBuffer, int nCount) override;
  BOOL IsOpen() const override;
  BOOL IsEOF() const override;
  BOOL Close() override;
  int WaitForData(int nTimeoutMSec) override;
  // Existing file only, read, others may read and write meanwhile. The disk
  // file stays attached even when the open fails.
  virtual BOOL Open(const char* pszName);

  CDiskFile* pFile;
  BOOL bOwnsFile;
};
