#pragma once
// In-memory streams: a reader of a text (EOF after the read of 0 bytes, or of the last with bEarlyEnd; read
// nFailAt fails) and a writer collecting what is written, with room for nRoom bytes.
#include <string.h>

#include <string>
#include <utility>

#include "base/stream_reader.h"
#include "base/stream_writer.h"

class CTextReader : public CStreamReader {
 public:
  explicit CTextReader(std::string t, bool earlyEnd = false) : text(std::move(t)), bEarlyEnd(earlyEnd) {}
  int Read(void* pBuffer, int nCount) override {
    if (++nReads == nFailAt) return -1;
    int n = (int)text.size() - nPos < nCount ? (int)text.size() - nPos : nCount;
    memcpy(pBuffer, text.data() + nPos, n);
    nPos += n;
    if (n == 0 || (bEarlyEnd && nPos == (int)text.size())) bEOF = TRUE;
    return n;
  }
  BOOL IsOpen() const override { return TRUE; }
  int WaitForData(int) override { return 42; }
  std::string text;
  bool bEarlyEnd;
  int nPos = 0, nReads = 0, nFailAt = 0;
};

class CTextWriter : public CStreamWriter {
 public:
  int Write(const void* pBuffer, int nCount) override {
    int nFree = nRoom > (int)text.size() ? nRoom - (int)text.size() : 0;
    int n = nCount < nFree ? nCount : nFree;
    text.append(static_cast<const char*>(pBuffer), n);
    return n;
  }
  BOOL IsOpen() const override { return TRUE; }
  BOOL WaitWritable(int) override { return TRUE; }
  std::string text;
  int nRoom = 1 << 20;
};
