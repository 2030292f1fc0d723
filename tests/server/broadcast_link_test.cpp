// The server's broadcast reaches the client's listener on a loopback port and
// is judged once, under the sender's address; server replies and client
// requests sent to that port are not taken for broadcasts.
#include <gtest/gtest.h>

#include <string>

#include "client/broadcast_reception.h"
#include "client/temp_folder.h"
#include "core/udp_socket.h"
#include "server/server_engine.h"
#include "server/server_packet.h"
#include "support/clock_installer.h"
#include "support/recording_host.h"
#include "support/skewed_clock.h"
#include "support/socket_helpers.h"
#include "support/winsock_environment.h"

namespace {

auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

// A message-only window that hands WM_NTP_BROADCAST to the reception.
struct CLinkWindow {
  CLinkWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "SuiteBroadcastLink";
    RegisterClassA(&wc);
    hWnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                         nullptr);
  }
  ~CLinkWindow() { DestroyWindow(hWnd); }
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* reception =
        reinterpret_cast<CBroadcastReception*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg != WM_NTP_BROADCAST || !reception) return DefWindowProcA(hwnd, msg, wp, lp);
    return reception->OnNtpBroadcast(wp, lp);
  }
  // Handles messages for about ms (bounded by the loop count).
  void Pump(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  HWND hWnd = nullptr;
};

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
  CLinkWindow window;
  CBroadcastReception reception(&client, &correction, nullptr, window.hWnd);
  SetWindowLongPtrA(window.hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reception));
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
  window.Pump(300);
  EXPECT_TRUE(host.entries.empty());

  server.dwBroadcastAddr = LoopbackAddress();
  server.nBroadcastPort = port;
  CServerEngine engine(&server, nullptr, nullptr);
  ASSERT_TRUE(engine.BroadcastNow());
  for (int i = 0; i < 500 && host.entries.empty(); ++i) window.Pump(10);
  window.Pump(300);  // anything else would arrive by now

  ASSERT_EQ(1u, host.entries.size());
  const std::string& line = host.Last().line;
  EXPECT_NE(std::string::npos, line.find("( 127.0.0.1 の配信 )")) << line;
  EXPECT_NE(std::string::npos, line.find("[階層:4/")) << line;
  reception.EnableBroadcastRecv(FALSE);
  SetServerSettings(nullptr);
}
