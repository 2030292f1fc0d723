#pragma once
// A stream reader over an HTTP connection. Each wait is limited by
// nReadTimeout and by the time left of the socket's request bound; once
// that bound has run out, Read fails (-1) instead of reporting a time-out,
// so a caller that reads until IsEOF always comes to an end.
#include "base/stream_reader.h"
#include "core/http_socket.h"

class CSocketReader : public CStreamReader {
 public:
  static constexpr int kDefaultReadTimeout = 5000;

  // The socket is not owned.
  explicit CSocketReader(CHTTPSocket* pSocketToRead = nullptr);
  ~CSocketReader() override;

  // One wait and one receive: the bytes received, 0 when the peer closed
  // (bEOF set) or the wait timed out (OnTimeout), -1 on an error.
  int Read(void* pBuffer, int nCount) override;
  // The lines of the base class, byte for byte, but taken from what has
  // arrived (looked at first, then consumed only up to the line end), so a
  // header block costs a few calls per line rather than two per byte.
  int ReadLine(char* pBuffer, int nSize) override;
  using CStreamReader::ReadLine;
  BOOL IsOpen() const override;
  BOOL Close() override;
  // A negative limit means nReadTimeout.
  int WaitForData(int nTimeoutMSec) override;

  // Lets go of the socket without closing it.
  virtual CHTTPSocket* Detach();
  // Connects a socket of its own (owned, closed on destruction).
  virtual BOOL Open(const char* pszHost, int nPort);
  virtual void SetTimeout(int ms);
  virtual int OnTimeout();

  CHTTPSocket* pSocket;
  int nReadTimeout;
  BOOL bOwnsSocket;

 private:
  // > 0 data ready; otherwise the result Read gives (time-out or error).
  int WaitReadable();
};
