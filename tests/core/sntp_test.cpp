#include "core/sntp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "support/socket_helpers.h"

namespace {

// A CSNTP bound to a loopback port, and a plain socket to send it datagrams.
class SntpLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sntp.pSocket->Bind(0, LoopbackAddress()));
    port = LocalPort(*sntp.pSocket);
    ASSERT_NE(0, port);
    ASSERT_TRUE(sender.Open(0, LoopbackAddress()));
  }

  // Sends n bytes 0, 1, 2, ... and waits until they are ready.
  void SendBytes(int n) {
    BYTE data[128];
    for (int i = 0; i < n; ++i) data[i] = static_cast<BYTE>(i);
    ASSERT_EQ(n, sender.SendTo(data, n, port, LoopbackAddress()));
    ASSERT_GT(sntp.Wait(5000), 0);
  }

  CSNTP sntp;
  int port = 0;
  CUDPSocket sender;
};

}  // namespace

TEST_F(SntpLoopback, ReceivesExactlyFortyEightBytes) {
  NTP_PACKET m;
  std::memset(&m, 0xEE, sizeof(m));
  const NTP_PACKET before = m;
  DWORD address = 0;
  int from = 0;
  for (int n : {47, 49, 60, 0}) {
    SendBytes(n);
    EXPECT_FALSE(sntp.Receive(&m, &address, &from)) << n << " bytes";
    EXPECT_EQ(0, std::memcmp(&before, &m, sizeof(m))) << "message touched by " << n << " bytes";
  }
  SendBytes(48);  // the bytes are no valid reply, yet any 48 bytes are a message
  ASSERT_TRUE(sntp.Receive(&m, &address, &from));
  EXPECT_EQ(48, m.nLength);
  EXPECT_EQ(47, m.GetBytes()[47]);
  EXPECT_EQ(LoopbackAddress(), address);
  EXPECT_EQ(LocalPort(sender), from);
  SendBytes(48);
  EXPECT_TRUE(sntp.Receive(&m, nullptr, nullptr));
  EXPECT_FALSE(sntp.Receive(nullptr, nullptr, nullptr));
  EXPECT_EQ(0, sntp.Wait(0));  // nothing left over from the rejected ones
}

TEST_F(SntpLoopback, RecvFromRefusesADatagramThatDoesNotFit) {
  SendBytes(60);
  BYTE buffer[48];
  int from = -7;
  EXPECT_EQ(-1, sntp.pSocket->RecvFrom(buffer, sizeof(buffer), 0, &from, nullptr));
  EXPECT_EQ(-7, from);  // out values only after a successful receive
  EXPECT_EQ(0, sntp.Wait(0));  // and the datagram is gone
}

TEST_F(SntpLoopback, SendsTheRequestAndRefusesABadLength) {
  NTP_PACKET request;
  request.InitRequest();
  ASSERT_TRUE(sntp.Send(request, LoopbackAddress(), LocalPort(sender)));
  BYTE buffer[128];
  ASSERT_GT(sender.Wait(5000, TRUE), 0);
  ASSERT_EQ(48, sender.RecvFrom(buffer, sizeof(buffer), 0, nullptr, nullptr));
  EXPECT_EQ(0, std::memcmp(buffer, &request, 48));

  // A length other than 48 would read past the message: nothing is sent.
  request.nLength = 4096;
  EXPECT_FALSE(sntp.Send(request, LoopbackAddress(), LocalPort(sender)));
  request.nLength = 47;
  EXPECT_FALSE(sntp.Send(request, LoopbackAddress(), LocalPort(sender)));
  EXPECT_EQ(0, sender.Wait(200, TRUE));
}

TEST_F(SntpLoopback, WaitHonoursItsLimitAndReportsClosure) {
  DWORD start = GetWin32Clock()->GetTickCount();
  EXPECT_EQ(0, sntp.Wait(300));
  EXPECT_GE(RealMsSince(start), 250u);
  sntp.pSocket->Close();
  EXPECT_EQ(-1, sntp.Wait(1000));
  NTP_PACKET m;
  m.InitRequest();
  EXPECT_FALSE(sntp.Receive(&m, nullptr, nullptr));
  EXPECT_FALSE(sntp.Send(m, LoopbackAddress(), port));
}

// The listener and server threads are stopped by closing their socket from
// another thread: a blocked receive or wait must come back.
TEST_F(SntpLoopback, ClosingFromAnotherThreadWakesABlockedReceive) {
  std::atomic<int> state{0};
  std::atomic<BOOL> received{TRUE};
  std::thread worker([&] {
    NTP_PACKET m;
    state = 1;
    received = sntp.Receive(&m, nullptr, nullptr);
    state = 2;
  });
  ASSERT_TRUE(WaitUntil([&] { return state.load() == 1; }, 5000));
  GetWin32Clock()->Sleep(300);  // let it block in recvfrom
  EXPECT_EQ(1, state.load());
  sntp.pSocket->Close();
  bool woke = WaitUntil([&] { return state.load() == 2; }, 10000);
  if (!woke) {
    worker.detach();  // still blocked: leave it to process exit
    FAIL() << "closing the socket did not wake the blocked receive";
  }
  worker.join();
  EXPECT_FALSE(received.load());
}

TEST_F(SntpLoopback, ClosingFromAnotherThreadWakesABlockedWait) {
  std::atomic<int> state{0};
  std::atomic<int> result{0};
  std::thread worker([&] {
    state = 1;
    result = sntp.Wait(-1);
    state = 2;
  });
  ASSERT_TRUE(WaitUntil([&] { return state.load() == 1; }, 5000));
  GetWin32Clock()->Sleep(300);  // let it block in select
  EXPECT_EQ(1, state.load());
  sntp.pSocket->Close();
  bool woke = WaitUntil([&] { return state.load() == 2; }, 10000);
  if (!woke) {
    worker.detach();
    FAIL() << "closing the socket did not wake the blocked wait";
  }
  worker.join();
  EXPECT_EQ(-1, result.load());
}
