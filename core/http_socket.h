#pragma once
// A minimal HTTP/1.x client: one request per connection, optionally through
// a proxy; the status line and headers are read here, the body afterwards
// through a CSocketReader on the same connection.
//
// Every wait of a request is bounded. SendRequest (and so Get) starts the
// request's total bound, nTotalTimeout (a connection made otherwise gets it
// at its first wait); the connect, every send and receive wait of the
// request, and the waits of any CSocketReader over this socket end when it
// runs out. nSendTimeout and nRecvTimeout (-1 at construction:
// no limit of their own) limit each single wait on top of that. With no
// bound given by the caller the built-in kDefaultTotalTimeout applies, so a
// server that accepts and never answers cannot hold the caller for ever.
// Name resolution is the system resolver's and is bounded only by it.
#include "base/char_string.h"
#include "base/stream_writer.h"
#include "core/inet_headers.h"
#include "core/tcp_socket.h"

class CHTTPSocket : public CTCPSocket {
 public:
  enum { methodGet = 1, methodPost = 2, methodHead = 3 };
  static constexpr int kDefaultTotalTimeout = 60000;
  // Requests are sent in pieces of this size, so that no single send blocks
  // for long after the socket reported room.
  static constexpr int kSendPiece = 4096;

  CHTTPSocket();
  ~CHTTPSocket() override;

  // Called right after the connection is made; FALSE fails the request.
  virtual BOOL OnConnected();
  // Called before the response is read; FALSE makes ReadResponse give -1.
  virtual BOOL OnBeforeResponse();
  // The status (> 0); 0 when the first line is not an HTTP/1.0 or HTTP/1.1
  // status line or nothing could be read; -1 when the headers end before
  // their empty line or OnBeforeResponse refused.
  virtual int ReadResponse();

  // Connects (to the proxy when one is set) and sends the request line, the
  // request headers with Host last, and the body. nBodyLength -1 means up to
  // the body's terminating zero. The socket stays open either way.
  BOOL SendRequest(int nMethod, const char* pszUrl, const void* pBody, int nBodyLength);
  // nStatus := 0; SendRequest, then ReadResponse; TRUE for any status > 0.
  BOOL Get(const char* pszUrl);
  // After ReadResponse: the body into pOut, taken apart by its framing
  // (chunked, Content-Length, or up to the end of the connection). TRUE only
  // when it arrived whole and within nMaxBytes.
  BOOL ReceiveBody(CStreamWriter* pOut, int nMaxBytes);
  // A host (NULL: no proxy) and its port.
  void SetProxy(const char* pszHost, int nPort);

  // The total bound of the following requests in ms; 0 or less restores
  // kDefaultTotalTimeout.
  void SetTotalTimeout(int ms);
  // Starts the bound now (SendRequest does this itself).
  void StartDeadline();
  // ms left of the current request's bound (the whole bound before one starts).
  int GetRemainingTime() const;
  // TRUE while time is left; otherwise notes the time-out (HasTimedOut).
  // Starts the bound when nothing has started it yet.
  BOOL CheckDeadline();
  // TRUE when a wait of the current request ended because the bound ran out.
  BOOL HasTimedOut() const { return bTimedOut; }
  // The limit for one wait: nPerWait (-1: none of its own) capped by the
  // time left.
  int LimitWait(int nPerWait) const;
  // Connects within the time left of the request's bound.
  using CTCPSocket::ConnectWithin;
  BOOL ConnectWithin(int port, const char* host);
  // Sends everything in pieces, each wait for room limited as above.
  BOOL SendBounded(const char* pData, int nLength);

  CInetHeaders aRequestHeaders;
  CInetHeaders aResponseHeaders;
  int nHttpVersion;
  int nSendTimeout;
  int nRecvTimeout;
  int nStatus;
  BOOL bUseProxy;
  CCharString sProxyHost;
  int nProxyPort;
  int nTotalTimeout;

 protected:
  DWORD dwDeadlineStart;  // tick count when the bound started
  BOOL bDeadlineStarted;
  BOOL bTimedOut;
};

// "host" or "host:port"; the port is 80 unless the text after the first ':'
// is a number (IsNumberText). Then SetProxy.
void SetProxyText(CHTTPSocket* pSocket, const char* pszText);
// Blanks, '+' and '-' before the first digit, then only digits; the empty
// text counts as a number.
BOOL IsNumberText(const char* pszText);
