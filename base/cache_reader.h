#pragma once
#include <windows.h>

#include "base/filter_reader.h"

// A filter with a read-ahead buffer, so that one-byte reads are served from
// memory. One Read refills at most once; the first failed refill or the inner
// reader's end makes it exhausted for good.
class CCacheReader : public CFilterReader {
public:
  enum { kDefaultCacheSize = 1024 };

  // A size below 1 means kDefaultCacheSize.
  explicit CCacheReader(CStreamReader* pInnerReader, int nSize = kDefaultCacheSize);
  ~CCacheReader() override;

  int Read(void* pBuffer, int nCount) override;
  BOOL IsOpen() const override;
  BOOL Close() override;
  int WaitForData(int nTimeoutMSec) override;
  virtual BOOL FreeCache();

  char* pCache;  // nCacheSize + 1 bytes
  int nCacheSize;
  int nCachePos;
  int nCacheCount;
  BOOL bExhausted;
};
