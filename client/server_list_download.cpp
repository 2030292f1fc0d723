// Download of a fresh server list from the maker's web server.
#include "base/file_writer.h"
#include "client/client_settings.h"
#include "core/clock.h"
#include "core/http_socket.h"

namespace {
constexpr int kMaxRequests = 10;
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
      bComplete = socket.ReceiveBody(&writer, kMaxListBytes) && FlushFileBuffers(writer.pFile->hFile);
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
