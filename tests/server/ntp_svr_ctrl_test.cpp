// The tray controller in this process: a real hidden window with the
// program's resources, a stand-in system for boxes, shell starts and the
// program's folder and command line. (sorbel_program_test sees service mode
// refuse the service tools, a close wait for a box, and the session's end
// keep the switched modes.)
#include "server/ntp_svr_ctrl.h"

#include <gtest/gtest.h>

#include <string>

#include "client/temp_folder.h"
#include "core/udp_socket.h"
#include "server/sorbel_app.h"
#include "server/sorbel_ids.h"
#include "support/fake_system_api.h"
#include "support/suite.h"

namespace {

auto* const kWinsock = ::testing::AddGlobalTestEnvironment(new CWinsockEnvironment);

class NtpSvrCtrlTest : public ::testing::Test {
 protected:
  NtpSvrCtrlTest() { system.sModulePath = folder.Path() + "Sorbel.exe"; }
  ~NtpSvrCtrlTest() override {
    if (hWnd && IsWindow(hWnd)) SendMessageA(hWnd, WM_CLOSE, 0, 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    // The next test's controller registers its class afresh.
    UnregisterClassA(CNTPSvrCtrl::kClassName, GetModuleHandleA(nullptr));
  }

  CNTPSvrCtrl* Start(const std::string& ini) {
    folder.Put("SORBEL.INI", ini);
    if (!app.InitInstance()) return nullptr;
    hWnd = app.pMainWnd->hWnd;
    return static_cast<CNTPSvrCtrl*>(app.pMainWnd);
  }
  UINT MenuState(UINT id) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SORBEL_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    SendMessageA(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    UINT state = GetMenuState(popup, id, MF_BYCOMMAND);
    DestroyMenu(menu);
    return state;
  }
  void Command(UINT id) { SendMessageA(hWnd, WM_COMMAND, id, 0); }

  CTempFolder folder;
  CFakeSystemApi system;
  CThisApp app;
  HWND hWnd = nullptr;
};

std::string PortIni(int port, const char* response = "ON") {
  return "[NTPCONFIG]\r\nNTP_PORT=" + std::to_string(port) + "\r\n[SORBEL]\r\nMODE_NTP_RESPONSE=" + response + "\r\n";
}

int FreePort() {
  CUDPSocket s;
  return s.Open(0, static_cast<DWORD>(INADDR_ANY)) ? LocalPort(s) : 0;
}

}  // namespace

TEST_F(NtpSvrCtrlTest, CheckMarksFollowTheModesAlsoAfterThePortNotice) {
  CUDPSocket holder;
  ASSERT_TRUE(holder.Open(0, static_cast<DWORD>(INADDR_ANY)));
  CNTPSvrCtrl* ctrl = Start(PortIni(LocalPort(holder)));
  ASSERT_NE(nullptr, ctrl);
  ASSERT_EQ(1u, system.boxes.size());  // the port-taken notice, answered OK
  EXPECT_EQ(hWnd, system.boxes[0].owner);
  EXPECT_EQ("ミルタサーバー　～時刻配信NTPサーバ～", system.boxes[0].caption);
  EXPECT_EQ(0u, MenuState(ID_RESPONSE_MODE) & MF_CHECKED);
  EXPECT_EQ(0u, MenuState(ID_BROADCAST_MODE) & MF_CHECKED);
  EXPECT_NE(0u, MenuState(ID_MENU_TITLE) & MF_DISABLED);

  holder.Close();
  Command(ID_RESPONSE_MODE);
  Command(ID_BROADCAST_MODE);
  EXPECT_NE(nullptr, ctrl->GetResponder());
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), MenuState(ID_RESPONSE_MODE) & MF_CHECKED);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), MenuState(ID_BROADCAST_MODE) & MF_CHECKED);
}

TEST_F(NtpSvrCtrlTest, ServiceToolsAndTheirNotices) {
  ASSERT_NE(nullptr, Start(PortIni(FreePort(), "OFF")));
  const std::string tool = folder.Path() + "ミルタ-サービス登録.exe";
  system.answers = {IDNO};  // the elevation notice refused: nothing runs
  Command(ID_SERVICE_INSTALL);
  EXPECT_TRUE(system.shellCalls.empty());
  system.answers = {IDYES, IDOK};
  Command(ID_SERVICE_INSTALL);
  ASSERT_EQ(1u, system.shellCalls.size());
  EXPECT_EQ("runas|" + tool + "|mb /inst \"RAVO NTP SERVER\" DAMPLIN.exe interactive \"ミルタ NTPサーバー\"||5|64",
            system.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{30000}, system.waits);
  ASSERT_EQ(3u, system.boxes.size());
  EXPECT_EQ(
      "サービスとしての登録・解除処理には管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n"
      "「ミルタ-サービス登録.exe」の実行に[許可]を与えてください。\n(※キャンセルをするとサービス登録はできません。)",
      system.boxes[1].text);
  EXPECT_EQ("※サービス起動はWindows再起動後に有効になります", system.boxes[2].text);

  system.SetWindowsXP();
  Command(ID_SERVICE_REMOVE);
  ASSERT_EQ(2u, system.shellCalls.size());
  EXPECT_EQ("open|" + folder.Path() + "KORVEX.exe|silent /rm \"RAVO NTP SERVER\"||5|64", system.shellCalls[1].Text());
  EXPECT_EQ(3u, system.boxes.size());
}
