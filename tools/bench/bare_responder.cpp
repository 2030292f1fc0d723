// The ceiling of a one-thread SNTP responder under Wine, for
// tools/bench/sntp_load.py: receive 48 bytes, answer, loop. The answer is
// the request with mode 4 and the request's Transmit Timestamp as Originate,
// which is all the load generator looks at.
//   bare_responder PORT
#include <winsock.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return 1;
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address;
  std::memset(&address, 0, sizeof(address));
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::atoi(argv[1])));
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    char message[48];
    sockaddr_in from;
    int length = sizeof(from);
    int n = recvfrom(s, message, sizeof(message), 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (n != 48) continue;
    message[0] = 0x24;
    std::memcpy(message + 24, message + 40, 8);
    sendto(s, message, 48, 0, reinterpret_cast<sockaddr*>(&from), length);
  }
}
