#include "core/http_time_socket.h"

#include "core/clock.h"

CHTTPTimeSocket::CHTTPTimeSocket() : dwConnectTick(0) {}

CHTTPTimeSocket::~CHTTPTimeSocket() {}

BOOL CHTTPTimeSocket::OnConnected() {
  dwConnectTick = GetClock()->GetTickCount();
  return TRUE;
}
