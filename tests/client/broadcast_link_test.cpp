// The server's broadcast reaches the client's listener on a loopback port and
// is judged once, under the sender's address; server replies and client
// requests sent to that port are not taken for broadcasts.
#include <gtest/gtest.h>

#include <string>

#include "client/broadcast_reception.h"
#include "client/broadcast_window.h"
#include "client/temp_folder.h"
#include "core/udp_socket.h"
#include "server/server_engine.h"
#include "server/server_packet.h"
#include "support/clock_installer.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"
#include "support/socket_helpers.h"

namespace {

bool PortTaken(WORD port) {
  CUDPSocket s;
  return !(s.Create(SOCK_DGRAM) && s.Bind(port, 0));
}

}  // namespace

TEST(BroadcastLink, ListenerLogsTheEnginesBroadcastOnlyOnce) {
  CSkewedClock clock{0};
  CClockInstaller installer{&clock};
  CTempFolder folder;
  CServerSettings server((folder.Path() + "SORBEL.INI").c_str());
  server.bDirty = FALSE;
  SetServerSettings(&server);

  CRecordingHost host;
  CTimeCorrection correction(&host);
  CClientSettings client;
  client.nAllowance = 1000;
  client.bBroadcastRecv = 1;
  CTestWindow window;
  CBroadcastReception reception(&client, &correction, nullptr, window.hWnd);
  window.pReception = &reception;
  {
    CUDPSocket s;
    ASSERT_TRUE(s.Open(0, LoopbackAddress()));
    client.nBroadcastRecvPortNo = static_cast<WORD>(LocalPort(s));
  }
  const WORD port = client.nBroadcastRecvPortNo;
  ASSERT_NE(123, port);
  ASSERT_TRUE(reception.EnableBroadcastRecv(TRUE));
  ASSERT_TRUE(WaitUntil([port] { return PortTaken(port); }, 5000));

  // A server reply and a client request first: neither is a broadcast.
  CSNTP sender;
  NTP_PACKET msg;
  msg.InitRequest();
  ASSERT_TRUE(SendServerPacket(&sender, &msg, LoopbackAddress(), port, kNtpModeServer));
  msg.InitRequest();
  ASSERT_TRUE(sender.Send(msg, LoopbackAddress(), port));
  window.PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(host.entries.empty());

  server.dwBroadcastAddr = LoopbackAddress();
  server.nBroadcastPort = port;
  CServerEngine engine(&server, nullptr, nullptr);
  ASSERT_TRUE(engine.BroadcastNow());
  window.PumpUntil([&] { return !host.entries.empty(); }, 5000);
  window.PumpUntil([] { return false; }, 300);  // anything else would arrive by now

  ASSERT_EQ(1u, host.entries.size());
  const std::string& line = host.Last().line;
  EXPECT_NE(std::string::npos, line.find("( 127.0.0.1 の配信 )")) << line;
  EXPECT_NE(std::string::npos, line.find("[階層:4/")) << line;
  reception.EnableBroadcastRecv(FALSE);
  SetServerSettings(nullptr);
}
