#pragma once
// An HTTP socket that notes when its connection was made, so that a time
// query can measure how long the server took to answer.
#include "core/http_socket.h"

class CHTTPTimeSocket : public CHTTPSocket {
 public:
  CHTTPTimeSocket();
  ~CHTTPTimeSocket() override;

  // Stamps dwConnectTick through the clock interface.
  BOOL OnConnected() override;

  // Low half: the tick count when the connection was made; high half 0.
  ULONGLONG dwConnectTick;
};
