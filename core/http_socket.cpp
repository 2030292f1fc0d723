#include "core/http_socket.h"

#include <limits.h>

#include "base/mbcs.h"
#include "core/clock.h"
#include "core/resolve_host.h"
#include "core/socket_reader.h"
#include "core/url.h"

namespace {

const char* const kMethodNames[] = {nullptr, "GET", "POST", "HEAD"};

// Leading decimal digits, saturated at INT_MAX (no digits: 0).
int LeadingNumber(const char* p) {
  long long n = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    n = n * 10 + (*p - '0');
    if (n > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(n);
}

// The status of an HTTP/1.0 or HTTP/1.1 status line, else 0.
int StatusOf(const char* pszLine) {
  CCharString sLine(pszLine);
  if (!sLine.StartsWith("HTTP/1.0 ") && !sLine.StartsWith("HTTP/1.1 ")) return 0;
  const char* p = pszLine + 9;
  while (*p == ' ') ++p;
  return LeadingNumber(p);
}

// atol: leading blanks, an optional sign, digits; saturated.
int SignedNumber(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  BOOL bNegative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int n = LeadingNumber(p);
  return bNegative ? -n : n;
}

CCharString Decimal(int n) {
  CCharString s;
  s.Format("%d", n);
  return s;
}

}  // namespace

CHTTPSocket::CHTTPSocket()
    : nHttpVersion(10),
      nSendTimeout(-1),
      nRecvTimeout(-1),
      nStatus(0),
      bUseProxy(FALSE),
      nProxyPort(0),
      nTotalTimeout(kDefaultTotalTimeout),
      dwDeadlineStart(0),
      bDeadlineStarted(FALSE),
      bTimedOut(FALSE) {}

CHTTPSocket::~CHTTPSocket() {}

BOOL CHTTPSocket::OnConnected() { return TRUE; }

BOOL CHTTPSocket::OnBeforeResponse() { return TRUE; }

void CHTTPSocket::SetTotalTimeout(int ms) { nTotalTimeout = ms > 0 ? ms : kDefaultTotalTimeout; }

void CHTTPSocket::StartDeadline() {
  dwDeadlineStart = GetClock()->GetTickCount();
  bDeadlineStarted = TRUE;
  bTimedOut = FALSE;
}

int CHTTPSocket::GetRemainingTime() const {
  if (!bDeadlineStarted) return nTotalTimeout;
  DWORD dwElapsed = GetClock()->GetTickCount() - dwDeadlineStart;  // wraps correctly
  if (dwElapsed >= static_cast<DWORD>(nTotalTimeout)) return 0;
  return nTotalTimeout - static_cast<int>(dwElapsed);
}

BOOL CHTTPSocket::CheckDeadline() {
  // A connection made some other way gets its bound at its first wait.
  if (!bDeadlineStarted) StartDeadline();
  if (GetRemainingTime() > 0) return TRUE;
  bTimedOut = TRUE;
  nLastError = WSAETIMEDOUT;
  return FALSE;
}

int CHTTPSocket::LimitWait(int nPerWait) const {
  int nLeft = GetRemainingTime();
  if (nPerWait == -1 || nPerWait > nLeft) return nLeft;
  return nPerWait < 0 ? 0 : nPerWait;  // other negative limits do not wait
}

BOOL CHTTPSocket::ConnectWithin(int port, const char* host) {
  DWORD address = ResolveHost(host, FALSE);
  if (address == 0 || address == INADDR_NONE || !CheckDeadline()) return FALSE;
  if (CTCPSocket::ConnectWithin(port, address, LimitWait(-1))) return TRUE;
  if (nLastError == WSAETIMEDOUT) CheckDeadline();  // notes a bound that ran out
  return FALSE;
}

BOOL CHTTPSocket::SendBounded(const char* pData, int nLength) {
  int nSent = 0;
  while (nSent < nLength) {
    if (!CheckDeadline()) return FALSE;
    if (Wait(LimitWait(nSendTimeout), FALSE) <= 0) {
      CheckDeadline();
      return FALSE;
    }
    int nPiece = nLength - nSent < kSendPiece ? nLength - nSent : kSendPiece;
    int n = Send(pData + nSent, nPiece);
    if (n <= 0) return FALSE;
    nSent += n;
  }
  return TRUE;
}

BOOL CHTTPSocket::SendRequest(int nMethod, const char* pszUrl, const void* pBody, int nBodyLength) {
  if (nMethod < methodGet || nMethod > methodHead) return FALSE;
  StartDeadline();
  UrlPartsPtr url(ParseUrl(pszUrl));
  if (!url) return FALSE;
  const char* pszBody = static_cast<const char*>(pBody);
  if (pszBody != nullptr && nBodyLength == -1) nBodyLength = lstrlenA(pszBody);
  if (pszBody != nullptr && nBodyLength < 0) return FALSE;

  CCharString sHost(url->pszHost);
  // Exactly one Host line, always the last one.
  for (int i; (i = aRequestHeaders.FindHeader("Host", 0)) >= 0;) aRequestHeaders.RemoveAt(i);
  if (aRequestHeaders.Add("Host: " + sHost) < 0) return FALSE;
  int nPort = LeadingNumber(url->pszPort);
  CCharString sTarget(url->pszPath ? url->pszPath : "/");
  if (url->pszQuery) sTarget = sTarget + "?" + url->pszQuery;
  if (bUseProxy) {
    CCharString sScheme(url->pszScheme && *url->pszScheme ? url->pszScheme : "http");
    CCharString sPort = nPort == 80 ? CCharString() : ":" + Decimal(nPort);
    sTarget = sScheme + "://" + sHost + sPort + sTarget;
    sHost = sProxyHost;
    nPort = nProxyPort;
  }
  if (sHost.IsEmpty()) return FALSE;

  BOOL bPostBody = nMethod == methodPost && pszBody != nullptr;
  if (bPostBody && aRequestHeaders.SetHeader("Content-Length", Decimal(nBodyLength)) < 0) return FALSE;
  CCharString sRequest;
  sRequest.Format("%s ", kMethodNames[nMethod]);
  sRequest += sTarget;
  CCharString sVersion;
  sVersion.Format(" HTTP/%d.%d\r\n", nHttpVersion / 10, nHttpVersion % 10);
  sRequest += sVersion;
  int nCount = aRequestHeaders.GetCount();
  for (int i = 0; i < nCount; ++i) sRequest = sRequest + aRequestHeaders.GetAt(i) + "\r\n";
  sRequest += "\r\n";

  if (!ConnectWithin(nPort, sHost) || !OnConnected()) return FALSE;
  if (!SendBounded(sRequest, sRequest.GetLength())) return FALSE;
  return !bPostBody || SendBounded(pszBody, nBodyLength);
}

int CHTTPSocket::ReadResponse() {
  aResponseHeaders.RemoveAll();
  CSocketReader reader(this);
  int nResult = -1;
  if (OnBeforeResponse()) {
    reader.SetTimeout(nRecvTimeout);
    nResult = 0;
    if (reader.ReadLine()) {
      nResult = StatusOf(reader.GetLine());
      if (!aResponseHeaders.ParseHeaders(&reader)) nResult = -1;
    }
  }
  reader.Detach();
  return nResult;
}

BOOL CHTTPSocket::Get(const char* pszUrl) {
  nStatus = 0;
  if (!SendRequest(methodGet, pszUrl, nullptr, -1)) return FALSE;
  int nResult = ReadResponse();
  if (nResult <= 0) return FALSE;
  nStatus = nResult;
  return TRUE;
}

void CHTTPSocket::SetProxy(const char* pszHost, int nPort) {
  bUseProxy = pszHost != nullptr;
  if (pszHost != nullptr) {
    sProxyHost = pszHost;
    nProxyPort = nPort;
  }
}

BOOL IsNumberText(const char* pszText) {
  if (pszText == nullptr) return TRUE;
  const char* p = pszText;
  while (*p == ' ' || *p == '+' || *p == '-') ++p;
  for (; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return FALSE;
  }
  return TRUE;
}

void SetProxyText(CHTTPSocket* pSocket, const char* pszText) {
  if (pSocket == nullptr) return;
  if (pszText == nullptr) {
    pSocket->SetProxy(nullptr, 0);
    return;
  }
  CCharString sText(pszText);
  int nColon = MbsFindByte(sText, 0, ':');
  CCharString sHost = nColon >= 0 ? sText.Left(nColon) : sText;
  int nPort = 80;
  if (nColon >= 0) {
    CCharString sPort = sText.Mid(nColon + 1);
    if (IsNumberText(sPort)) nPort = SignedNumber(sPort);
  }
  pSocket->SetProxy(sHost, nPort);
}
