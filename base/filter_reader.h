#pragma once
#include <windows.h>

#include "base/stream_reader.h"

// Hands every byte operation to an inner reader, which it never owns.
class CFilterReader : public CStreamReader {
public:
  explicit CFilterReader(CStreamReader* pInnerReader = NULL);
  ~CFilterReader() override;

  int Read(void* pBuffer, int nCount) override;
  BOOL IsOpen() const override;
  BOOL Close() override;
  int WaitForData(int nTimeoutMSec) override;

  CStreamReader* pInner;
};
