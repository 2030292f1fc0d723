// The body of a response: framed by chunked transfer coding, by
// Content-Length, or by the end of the connection.
#include "base/stream_writer.h"
#include "core/http_socket.h"
#include "core/socket_reader.h"

namespace {

constexpr int kPiece = 512;

// Copies body bytes and counts them against the size limit. nLength >= 0:
// exactly that many bytes must arrive; -1: up to the end of the connection.
// FALSE when it breaks off, fails or grows too large.
BOOL CopyBody(CSocketReader& reader, CStreamWriter& out, int nLength, int nMax, int& nTotal) {
  char buffer[kPiece];
  while (nLength != 0) {
    int nWant = nLength < 0 || nLength > kPiece ? kPiece : nLength;
    int n = reader.Read(buffer, nWant);
    if (n < 0) return FALSE;
    if (n == 0) {
      // A wait that ran out only repeats; the request's bound ends it.
      if (reader.IsEOF()) return nLength < 0;
      continue;
    }
    nTotal += n;
    if (nTotal > nMax) return FALSE;
    if (out.Write(buffer, n) != n) return FALSE;
    if (nLength > 0) nLength -= n;
  }
  return TRUE;
}

// A chunk-size line: hexadecimal digits, optionally followed by extensions.
int ChunkSize(const char* pszLine, int nMax) {
  long long nSize = 0;
  int nDigits = 0;
  for (const char* p = pszLine; *p != 0 && *p != ';' && *p != ' ' && *p != '\t'; ++p, ++nDigits) {
    int nDigit = *p >= '0' && *p <= '9'   ? *p - '0'
                 : *p >= 'a' && *p <= 'f' ? *p - 'a' + 10
                 : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10
                                          : -1;
    if (nDigit < 0) return -1;
    nSize = nSize * 16 + nDigit;
    if (nSize > nMax) return -1;
  }
  return nDigits > 0 ? static_cast<int>(nSize) : -1;
}

BOOL CopyChunkedBody(CSocketReader& reader, CStreamWriter& out, int nMax, int& nTotal) {
  char szLine[64];
  const int nRoom = sizeof(szLine) - 1;
  for (;;) {
    int n = reader.ReadLine(szLine, nRoom);
    if (n < 0 || n >= nRoom) return FALSE;
    szLine[n] = 0;
    int nSize = ChunkSize(szLine, nMax);
    if (nSize < 0) return FALSE;
    if (nSize == 0) return TRUE;  // trailers, if any, are of no interest
    if (!CopyBody(reader, out, nSize, nMax, nTotal)) return FALSE;
    if (reader.ReadLine(szLine, nRoom) != 0) return FALSE;  // the chunk's CR LF
  }
}

// The decimal Content-Length, -1 when it is not a plain number, -2 when the
// body would be too large.
int ContentLength(CCharString sValue, int nMax) {
  sValue.Trim();
  if (sValue.IsEmpty()) return -1;
  long long nLength = 0;
  for (const char* p = sValue; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return -1;
    nLength = nLength * 10 + (*p - '0');
    if (nLength > nMax) return -2;
  }
  return static_cast<int>(nLength);
}

}  // namespace

BOOL CHTTPSocket::ReceiveBody(CStreamWriter* pOut, int nMaxBytes) {
  CStreamWriter& out = *pOut;
  CSocketReader reader(this);
  int nTotal = 0;
  BOOL bDone = FALSE;
  int nEncoding = aResponseHeaders.FindHeader("Transfer-Encoding");
  int nLengthLine = aResponseHeaders.FindHeader("Content-Length");
  CCharString sEncoding = aResponseHeaders.GetHeaderValue(nEncoding, TRUE);
  sEncoding.Trim();
  if (nEncoding >= 0 && sEncoding.Compare("identity", TRUE) != 0) {
    // Only the plain chunked coding can be taken apart here.
    bDone = sEncoding.Compare("chunked", TRUE) == 0 && CopyChunkedBody(reader, out, nMaxBytes, nTotal);
  } else if (nLengthLine >= 0) {
    int nLength = ContentLength(aResponseHeaders.GetHeaderValue(nLengthLine, TRUE), nMaxBytes);
    bDone = nLength >= 0 && CopyBody(reader, out, nLength, nMaxBytes, nTotal);
  } else {
    bDone = CopyBody(reader, out, -1, nMaxBytes, nTotal);
  }
  reader.Detach();
  return bDone;
}

