#include "base/stream_writer.h"

CStreamWriter::CStreamWriter() : nChunkSize(-1), bCloseOnDestroy(FALSE) {}

CStreamWriter::~CStreamWriter() {}

BOOL CStreamWriter::Close() { return TRUE; }

BOOL CStreamWriter::WriteAll(const void* pBuffer, int nCount) {
  const char* p = static_cast<const char*>(pBuffer);
  if (p == NULL && nCount > 0) return FALSE;
  int nSent = 0;
  while (nSent < nCount) {
    if (!IsOpen()) return FALSE;
    int nChunk = nCount - nSent;
    if (nChunkSize > 0 && nChunk > nChunkSize) nChunk = nChunkSize;
    int nWritten = Write(p + nSent, nChunk);
    if (nWritten <= 0) return FALSE;
    nSent += nWritten;
  }
  return TRUE;
}
