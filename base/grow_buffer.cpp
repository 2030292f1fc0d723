#include "base/grow_buffer.h"

#include <new>

CGrowBuffer::CGrowBuffer() : nSize(0), pData(NULL) {}

CGrowBuffer::~CGrowBuffer() { Free(); }

char* CGrowBuffer::GetData() { return pData; }

BOOL CGrowBuffer::Reserve(int nNewSize) {
  // Negative sizes are always below the current size, so they keep the block.
  if (nNewSize < nSize) return TRUE;
  Free();
  pData = new (std::nothrow) char[nNewSize > 0 ? nNewSize : 1];
  if (pData == NULL) return FALSE;
  nSize = nNewSize;
  return TRUE;
}

void CGrowBuffer::Free() {
  delete[] pData;
  pData = NULL;
  nSize = 0;
}

int CGrowBuffer::GetSize() const { return nSize; }
