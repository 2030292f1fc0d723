// Download of a fresh server list from the maker's web server.
#include <new>

#include "base/file_writer.h"
#include "client/client_settings.h"
#include "core/clock.h"
#include "core/http_socket.h"
#include "core/socket_reader.h"

namespace {

constexpr int kMaxRequests = 10;
constexpr int kPiece = 512;

// Copies the body to the file and counts it against the size limit.
// nLength >= 0: exactly that many bytes must arrive; -1: up to the end of the
// connection. FALSE when it breaks off, fails or grows too large.
BOOL CopyBody(CSocketReader& reader, CStreamWriter& out, int nLength, int& nTotal) {
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
    if (nTotal > CClientConfig::kMaxListBytes) return FALSE;
    if (out.Write(buffer, n) != n) return FALSE;
    if (nLength > 0) nLength -= n;
  }
  return TRUE;
}

// A chunk-size line: hexadecimal digits, optionally followed by extensions.
int ChunkSize(const char* pszLine) {
  int nSize = 0, nDigits = 0;
  for (const char* p = pszLine; *p != 0 && *p != ';' && *p != ' ' && *p != '\t'; ++p, ++nDigits) {
    int nDigit = *p >= '0' && *p <= '9'   ? *p - '0'
                 : *p >= 'a' && *p <= 'f' ? *p - 'a' + 10
                 : *p >= 'A' && *p <= 'F' ? *p - 'A' + 10
                                          : -1;
    if (nDigit < 0) return -1;
    nSize = nSize * 16 + nDigit;
    if (nSize > CClientConfig::kMaxListBytes) return -1;
  }
  return nDigits > 0 ? nSize : -1;
}

BOOL CopyChunkedBody(CSocketReader& reader, CStreamWriter& out, int& nTotal) {
  char szLine[64];
  const int nRoom = sizeof(szLine) - 1;
  for (;;) {
    int n = reader.ReadLine(szLine, nRoom);
    if (n < 0 || n >= nRoom) return FALSE;
    szLine[n] = 0;
    int nSize = ChunkSize(szLine);
    if (nSize < 0) return FALSE;
    if (nSize == 0) return TRUE;  // trailers, if any, are of no interest
    if (!CopyBody(reader, out, nSize, nTotal)) return FALSE;
    if (reader.ReadLine(szLine, nRoom) != 0) return FALSE;  // the chunk's CR LF
  }
}

// The decimal Content-Length, -1 when it is not a plain number, -2 when the
// body would be too large.
int ContentLength(CCharString sValue) {
  sValue.Trim();
  if (sValue.IsEmpty()) return -1;
  int nLength = 0;
  for (const char* p = sValue; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return -1;
    nLength = nLength * 10 + (*p - '0');
    if (nLength > CClientConfig::kMaxListBytes) return -2;
  }
  return nLength;
}

// The body after the response headers; TRUE only when it arrived whole.
BOOL ReceiveBody(CHTTPSocket& socket, CStreamWriter& out) {
  CSocketReader reader(&socket);
  int nTotal = 0;
  BOOL bDone = FALSE;
  int nEncoding = socket.aResponseHeaders.FindHeader("Transfer-Encoding");
  int nLengthLine = socket.aResponseHeaders.FindHeader("Content-Length");
  CCharString sEncoding = socket.aResponseHeaders.GetHeaderValue(nEncoding, TRUE);
  sEncoding.Trim();
  if (nEncoding >= 0 && sEncoding.Compare("identity", TRUE) != 0) {
    // Only the plain chunked coding can be taken apart here.
    bDone = sEncoding.Compare("chunked", TRUE) == 0 && CopyChunkedBody(reader, out, nTotal);
  } else if (nLengthLine >= 0) {
    int nLength = ContentLength(socket.aResponseHeaders.GetHeaderValue(nLengthLine, TRUE));
    bDone = nLength >= 0 && CopyBody(reader, out, nLength, nTotal);
  } else {
    bDone = CopyBody(reader, out, -1, nTotal);
  }
  reader.Detach();
  return bDone;
}

}  // namespace

CCharString CClientConfig::GetServerListUrl() const {
  CCharString sBase = sServerListUrl.IsEmpty() ? CCharString(kDefaultServerListUrl) : sServerListUrl;
  int nLength = sBase.GetLength();
  if (nLength > 0 && static_cast<const char*>(sBase)[nLength - 1] == '/') sBase = sBase.Left(nLength - 1);
  return sBase + (sProtocol == protocolHttp ? "/NAAA" : "/MAAA");
}

bool CClientConfig::DownloadServerList() {
  CHTTPSocket socket;
  CCharString sUrl = GetServerListUrl();
  socket.aRequestHeaders.SetHeader("Connection", "close");
  if (bUseHttpProxy) SetProxyText(&socket, sHttpProxy);

  // One bound for the whole download, redirects and body included.
  DWORD dwStart = GetClock()->GetTickCount();
  for (int nRequest = 1;; ++nRequest) {
    socket.Close();
    int nLeft = nDownloadTimeout - static_cast<int>(GetClock()->GetTickCount() - dwStart);
    if (nLeft <= 0) return false;
    socket.SetTotalTimeout(nLeft);
    if (!socket.Get(sUrl)) {
      socket.Close();
      return false;
    }
    int nLocation = socket.aResponseHeaders.FindHeader("Location");
    if (nLocation < 0) {
      // Only a successful answer carries the list: the body of an error
      // page would replace it with nonsense.
      if (socket.nStatus >= 200 && socket.nStatus <= 299) break;
      socket.Close();
      return false;
    }
    sUrl = socket.aResponseHeaders.GetHeaderValue(nLocation, FALSE);
    if (sUrl.GetLength() < 5 || nRequest >= kMaxRequests) {
      socket.Close();
      return false;
    }
  }

  CCharString sDownload = GetServerListPath("_dl_server.txt");
  DeleteFileA(sDownload);
  BOOL bComplete = FALSE;
  {
    CFileWriter writer;
    if (writer.Create(sDownload)) {
      bComplete = ReceiveBody(socket, writer) && FlushFileBuffers(writer.pFile->hFile);
      bComplete = writer.Close() && bComplete;
    }
  }
  socket.Close();

  // Only a whole list with an entry replaces the one in use.
  CServerList aArrived;
  if (!bComplete || !ReadServerListFile(sDownload, GetProtocolPrefix(), &aArrived) || aArrived.GetCount() == 0) {
    DeleteFileA(sDownload);
    return false;
  }
  CCharString sList = GetServerListPath("_server.txt");
  CCharString sOld = GetServerListPath("_server.old");
  DeleteFileA(sOld);
  // A copy rather than a move, so that a list file exists at every moment.
  CopyFileA(sList, sOld, TRUE);
  if (!MoveFileExA(sDownload, sList, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(sDownload);
    return false;
  }
  LoadServerList(TRUE);
  return true;
}
