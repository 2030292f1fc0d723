#pragma once
// An SNTP server on 127.0.0.1:123 for the client application tests (under
// Wine replies come from 127.0.0.1 whatever a socket is bound to). Request
// n takes answer n of the script, later ones the last answer: the server
// clock that many ms ahead of the installed clock, kBad (a reply of the
// wrong mode, refused at once) or kSilent (no answer).
#include <winsock.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/ntp_packet.h"
#include "core/system_time.h"

class CNtpResponder {
 public:
  static constexpr LONG kBad = LONG_MIN;
  static constexpr LONG kSilent = LONG_MIN + 1;

  explicit CNtpResponder(std::vector<LONG> script) : aScript(std::move(script)) {
    hSocket = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in sa = {};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(123);
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    bBound = bind(hSocket, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    worker = std::thread([this] { Serve(); });
  }
  ~CNtpResponder() {
    closesocket(hSocket);  // ends the blocked receive
    worker.join();
  }

  bool bBound = false;
  std::atomic<int> nRequests{0};

 private:
  void Serve() {
    for (;;) {
      NTP_PACKET request;
      sockaddr_in from = {};
      int nFrom = sizeof(from);
      int n = recvfrom(hSocket, reinterpret_cast<char*>(&request), kNtpPacketSize, 0,
                       reinterpret_cast<sockaddr*>(&from), &nFrom);
      if (n == SOCKET_ERROR) return;
      int nRequest = nRequests++;
      LONG nAhead = aScript[nRequest < static_cast<int>(aScript.size()) ? nRequest : aScript.size() - 1];
      if (nAhead == kSilent) continue;
      NTP_PACKET reply;
      reply.InitRequest();
      reply.SetHeader((nAhead == kBad ? 0x23020000 : 0x24020000) | 0xEC);  // mode 3 or 4, stratum 2
      CSystemTime now;
      GetClock()->GetSystemTime(&now);
      now.AddMilliseconds(nAhead == kBad ? 0 : nAhead);
      reply.SetTransmitTime(now);
      reply.tsOriginate = request.tsTransmit;
      sendto(hSocket, reinterpret_cast<const char*>(&reply), kNtpPacketSize, 0, reinterpret_cast<sockaddr*>(&from),
             sizeof(from));
    }
  }

  std::vector<LONG> aScript;
  SOCKET hSocket;
  std::thread worker;
};
