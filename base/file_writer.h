#pragma once
#include <windows.h>

#include "base/disk_file.h"
#include "base/stream_writer.h"

// Writes a disk file. A file handed in at construction is neither owned nor
// closed on destruction; Create and OpenAppend attach an owned one and close
// it on destruction.
class CFileWriter : public CStreamWriter {
public:
  explicit CFileWriter(CDiskFile* pDiskFile = NULL);
  ~CFileWriter() override;

  int Write(const void* pBuffer, int nCount) override;
  BOOL IsOpen() const override;
  BOOL Close() override;
  BOOL WaitWritable(int nTimeoutMSec) override;
  // Created or emptied; others may read and write meanwhile.
  virtual BOOL Create(const char* pszName);
  // Created when missing, content kept, positioned at the end.
  virtual BOOL OpenAppend(const char* pszName);

  CDiskFile* pFile;
  BOOL bOwnsFile;

private:
  BOOL Attach(CDiskFile* pOpened);
};
