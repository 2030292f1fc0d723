#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "core/resolve_host.h"
#include "core/tcp_socket.h"
#include "core/udp_socket.h"
#include "core/winsock_startup.h"
#include "support/socket_helpers.h"
#include "support/winsock_environment.h"

namespace {
auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);
}  // namespace

TEST(Winsock, StartsOnceAndStops) {
  EXPECT_TRUE(IsWinsockStarted());
  EXPECT_TRUE(StartupWinsock(1, 1));  // already started: at once
  EXPECT_EQ(MAKEWORD(1, 1), GetWinsockData().wVersion);
  EXPECT_TRUE(CleanupWinsock());
  EXPECT_FALSE(IsWinsockStarted());
  EXPECT_FALSE(CleanupWinsock());
  EXPECT_TRUE(StartupWinsock(1, 1));  // the other tests need it back
}

TEST(IPSocket, CloseAndTheNoSocketMarker) {
  CUDPSocket s;
  EXPECT_EQ(INVALID_SOCKET, s.hSocket);
  EXPECT_EQ(-1, s.nTimeLimit);
  s.nLastError = 1234;
  EXPECT_FALSE(s.Close());  // nothing to close: nothing changes
  EXPECT_EQ(1234, s.nLastError);
  ASSERT_TRUE(s.Open(0, LoopbackAddress()));
  EXPECT_NE(INVALID_SOCKET, s.hSocket);
  EXPECT_TRUE(s.Close());
  EXPECT_EQ(INVALID_SOCKET, s.hSocket);
  EXPECT_EQ(0, s.nLastError);
  EXPECT_FALSE(s.Close());
  EXPECT_EQ(-1, s.Wait(0, TRUE));
  EXPECT_EQ(WSAENOTSOCK, s.nLastError);
}

TEST(IPSocket, WaitHonoursItsLimit) {
  CUDPSocket s;
  ASSERT_TRUE(s.Open(0, LoopbackAddress()));
  DWORD start = GetWin32Clock()->GetTickCount();
  EXPECT_EQ(0, s.Wait(1500, TRUE));
  DWORD waited = RealMsSince(start);
  EXPECT_GE(waited, 1450u);
  EXPECT_LT(waited, 30000u);
  EXPECT_EQ(0, s.Wait(-5, TRUE));  // other negative limits do not wait
  EXPECT_GT(s.Wait(1000, FALSE), 0);  // writable at once

  // -1 waits without limit, until a datagram comes.
  std::thread sender([&] {
    GetWin32Clock()->Sleep(300);
    CUDPSocket other;
    if (other.Open(0, LoopbackAddress())) other.SendTo("x", 1, LocalPort(s), LoopbackAddress());
  });
  EXPECT_GT(s.Wait(-1, TRUE), 0);
  sender.join();
  char c = 0;
  int port = 0;
  DWORD from = 0;
  EXPECT_EQ(1, s.RecvFrom(&c, 1, 0, &port, &from));
  EXPECT_EQ('x', c);
  EXPECT_EQ(LoopbackAddress(), from);
  EXPECT_NE(0, port);
}

TEST(UDPSocket, OpenValidatesAndEnablesBroadcast) {
  CUDPSocket s;
  EXPECT_FALSE(s.Open(70000, LoopbackAddress()));
  EXPECT_EQ(INVALID_SOCKET, s.hSocket);
  EXPECT_FALSE(s.Open(0, "no-such-host.invalid"));
  ASSERT_TRUE(s.Open(0, "127.0.0.1"));
  CUDPSocket same;  // a port in use: the bind fails, the socket is closed again
  EXPECT_FALSE(same.Open(LocalPort(s), LoopbackAddress()));
  EXPECT_EQ(INVALID_SOCKET, same.hSocket);
  EXPECT_EQ(WSAEADDRINUSE, same.nLastError);
  BOOL on = FALSE;
  int length = sizeof(on);
  ASSERT_EQ(0, getsockopt(s.hSocket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<char*>(&on),
                          &length));
  EXPECT_TRUE(on);
  EXPECT_EQ(-1, s.SendTo("x", 1, -1, LoopbackAddress()));
  EXPECT_EQ(-1, s.SendTo(nullptr, 5, LocalPort(s), LoopbackAddress()));
  EXPECT_EQ(-1, s.RecvFrom(nullptr, 5, 0, nullptr, nullptr));
  // Open by name: "" or no name is any address.
  CUDPSocket any;
  ASSERT_TRUE(any.Open(0, static_cast<const char*>(nullptr)));
  EXPECT_NE(0, LocalPort(any));
}

TEST(TCPSocket, ListenBacklogLimit) {
  CTCPSocket s;
  ASSERT_TRUE(s.Create(SOCK_STREAM));
  ASSERT_TRUE(s.Bind(0, LoopbackAddress()));
  WSASetLastError(4321);
  s.nLastError = 77;
  EXPECT_FALSE(s.Listen(6));  // refused without a call
  EXPECT_FALSE(s.Listen(-1));
  EXPECT_EQ(4321, WSAGetLastError());
  EXPECT_EQ(77, s.nLastError);
  CTCPSocket probe;  // the socket does not listen yet
  EXPECT_FALSE(probe.ConnectTo(LocalPort(s), LoopbackAddress()));
  EXPECT_TRUE(s.Listen(5));
  EXPECT_TRUE(probe.ConnectTo(LocalPort(s), LoopbackAddress()));
}

TEST(TCPSocket, FailedConnectsLeaveNoSocket) {
  // A port that just stopped listening refuses at once on loopback.
  int port;
  {
    CTCPSocket listener;
    ASSERT_TRUE(listener.Open(0, LoopbackAddress()));
    port = LocalPort(listener);
  }
  CTCPSocket s;
  EXPECT_FALSE(s.ConnectTo(port, LoopbackAddress()));
  EXPECT_EQ(INVALID_SOCKET, s.hSocket);
  EXPECT_FALSE(s.IsConnected());
  EXPECT_FALSE(s.ConnectByName(port, "no-such-host.invalid"));
  EXPECT_FALSE(s.ConnectByName(port, "0.0.0.0"));
  EXPECT_EQ(nullptr, CTCPSocket::CreateConnected("no-such-host.invalid", port));
  EXPECT_EQ(nullptr, CTCPSocket::CreateConnected("127.0.0.1", 70000));

  CTCPSocket listener;
  ASSERT_TRUE(listener.Open(0, "127.0.0.1"));
  std::unique_ptr<CTCPSocket> c(CTCPSocket::CreateConnected("127.0.0.1", LocalPort(listener)));
  ASSERT_NE(nullptr, c);
  EXPECT_TRUE(c->IsConnected());
  EXPECT_EQ(LoopbackAddress(), c->dwPeerAddr);
}

TEST(ResolveHost, DottedAddressesAndFailures) {
  WSASetLastError(555);
  EXPECT_EQ(inet_addr("192.0.2.1"), ResolveHost("192.0.2.1", FALSE));
  EXPECT_EQ(555, WSAGetLastError());  // no lookup was made
  EXPECT_EQ(htonl(0xC0000201), ResolveHost("192.0.2.1", FALSE));
  EXPECT_EQ(htonl(0xC0000201), ResolveHost("192.0.2.1", TRUE));
  EXPECT_EQ(INADDR_NONE, ResolveHost("", FALSE));
  EXPECT_EQ(WSAEINVAL, WSAGetLastError());
  EXPECT_EQ(INADDR_NONE, ResolveHost(nullptr, FALSE));

  // A name that cannot exist; the lookup may fail fast or time out in the
  // resolver, so it runs on its own thread with a generous bound.
  struct Lookup {
    std::atomic<bool> done{false};
    DWORD address = 0;
    int error = 0;
  };
  auto lookup = std::make_shared<Lookup>();
  std::thread worker([lookup] {
    lookup->address = ResolveHost("no-such-host.invalid", FALSE);
    lookup->error = WSAGetLastError();
    lookup->done = true;
  });
  if (!WaitUntil([&] { return lookup->done.load(); }, 120000)) {
    worker.detach();
    FAIL() << "the resolver did not answer within two minutes";
  }
  worker.join();
  EXPECT_EQ(INADDR_NONE, lookup->address);
  EXPECT_EQ(10022, lookup->error);
}
