#include "core/socket_reader.h"

#include <memory>
#include <new>

CSocketReader::CSocketReader(CHTTPSocket* pSocketToRead)
    : pSocket(pSocketToRead), nReadTimeout(kDefaultReadTimeout), bOwnsSocket(FALSE) {}

CSocketReader::~CSocketReader() {
  if (bCloseOnDestroy) {
    Close();
  } else if (bOwnsSocket) {
    delete pSocket;
  }
}

int CSocketReader::WaitReadable() {
  if (pSocket == nullptr) return -1;
  // Past the request's bound a time-out would only make the caller wait again.
  if (!pSocket->CheckDeadline()) return -1;
  int nReady = pSocket->Wait(pSocket->LimitWait(nReadTimeout), TRUE);
  if (nReady != 0) return nReady;
  return pSocket->CheckDeadline() ? OnTimeout() : -1;
}

int CSocketReader::Read(void* pBuffer, int nCount) {
  if (pSocket == nullptr || nCount < 0 || (pBuffer == nullptr && nCount > 0)) return -1;
  if (nCount == 0) return 0;
  int nReady = WaitReadable();
  if (nReady <= 0) return nReady;
  int n = pSocket->Recv(pBuffer, nCount);
  bEOF = n == 0;
  return n;
}

int CSocketReader::ReadLine(char* pBuffer, int nSize) {
  if (nSize <= 0) return 0;
  if (!IsReadable() || pBuffer == nullptr) return -1;
  int i = 0;
  for (;;) {
    int nReady = WaitReadable();
    char chunk[1024];
    int nPeeked = nReady > 0 ? recv(pSocket->hSocket, chunk, sizeof(chunk), MSG_PEEK) : nReady;
    if (nPeeked == 0 && nReady > 0) bEOF = TRUE;  // the peer closed
    if (nPeeked == 0) return i > 0 ? i : -1;
    if (nPeeked < 0) return -1;
    int nUsed = 0, nLine = -1;
    while (nUsed < nPeeked && nLine < 0) {
      char ch = chunk[nUsed++];
      if (ch == '\n') {
        pBuffer[i] = 0;
        nLine = i;
      } else if (ch != '\r') {
        pBuffer[i++] = ch;
        if (i == nSize) {
          nLine = nSize;  // full: the rest of the line stays unread
        } else {
          pBuffer[i] = 0;
        }
      }
    }
    // Take exactly the bytes looked at; they have arrived already.
    for (int nTaken = 0; nTaken < nUsed;) {
      int n = pSocket->Recv(chunk, nUsed - nTaken);
      if (n <= 0) return -1;
      nTaken += n;
    }
    if (nLine >= 0) return nLine;
  }
}

BOOL CSocketReader::IsOpen() const { return pSocket != nullptr && pSocket->IsConnected(); }

BOOL CSocketReader::Close() {
  if (pSocket == nullptr) return FALSE;
  BOOL bClosed = pSocket->Close();
  if (bOwnsSocket) delete pSocket;
  pSocket = nullptr;
  bOwnsSocket = FALSE;
  return bClosed;
}

int CSocketReader::WaitForData(int nTimeoutMSec) {
  if (pSocket == nullptr || !pSocket->CheckDeadline()) return -1;
  if (nTimeoutMSec < 0) nTimeoutMSec = nReadTimeout;
  return pSocket->Wait(pSocket->LimitWait(nTimeoutMSec), TRUE);
}

CHTTPSocket* CSocketReader::Detach() {
  CHTTPSocket* pDetached = pSocket;
  pSocket = nullptr;
  bOwnsSocket = FALSE;
  bCloseOnDestroy = FALSE;
  return pDetached;
}

BOOL CSocketReader::Open(const char* pszHost, int nPort) {
  if (bOwnsSocket) Close();
  pSocket = nullptr;
  std::unique_ptr<CHTTPSocket> pNew(new (std::nothrow) CHTTPSocket);
  if (!pNew || !pNew->ConnectWithin(nPort, pszHost)) return FALSE;
  pSocket = pNew.release();
  bOwnsSocket = TRUE;
  bCloseOnDestroy = TRUE;
  return TRUE;
}

void CSocketReader::SetTimeout(int ms) { nReadTimeout = ms; }

int CSocketReader::OnTimeout() { return 0; }
