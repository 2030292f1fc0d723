// The tray controller in this process: a hidden window with the program's resources, a stand-in system for boxes,
// shell starts, folder and command line. (The notices' captions and owner, service mode: sorbel_program_test's.)
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
}  // namespace

TEST(NtpSvrCtrlTest, CheckMarksFollowTheModesAndTheServiceToolsStartWithTheirNotices) {
  CTempFolder folder;
  CFakeSystemApi system;
  system.sModulePath = folder.Path() + "Sorbel.exe";
  CUDPSocket holder;
  ASSERT_TRUE(holder.Open(0, static_cast<DWORD>(INADDR_ANY)));
  folder.Put("SORBEL.INI", "[NTPCONFIG]\r\nNTP_PORT=" + std::to_string(LocalPort(holder)) + "\r\n");
  CThisApp app;
  ASSERT_TRUE(app.InitInstance());
  HWND hWnd = app.pMainWnd->hWnd;
  auto menuState = [&](UINT id) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_SORBEL_TRAY_MENU));
    SendMessageA(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(menu, 0)), 0);
    UINT state = GetMenuState(GetSubMenu(menu, 0), id, MF_BYCOMMAND);
    DestroyMenu(menu);
    return state;
  };
  auto command = [&](UINT id) { SendMessageA(hWnd, WM_COMMAND, id, 0); };
  ASSERT_EQ(1u, system.boxes.size());  // the port-taken notice, answered OK
  EXPECT_EQ(0u, menuState(ID_RESPONSE_MODE) & MF_CHECKED);
  EXPECT_EQ(0u, menuState(ID_BROADCAST_MODE) & MF_CHECKED);
  EXPECT_NE(0u, menuState(ID_MENU_TITLE) & MF_DISABLED);
  holder.Close();
  command(ID_RESPONSE_MODE);
  command(ID_BROADCAST_MODE);
  EXPECT_NE(nullptr, static_cast<CNTPSvrCtrl*>(app.pMainWnd)->GetResponder());
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menuState(ID_RESPONSE_MODE) & MF_CHECKED);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), menuState(ID_BROADCAST_MODE) & MF_CHECKED);

  const std::string tool = folder.Path() + "ミルタ-サービス登録.exe";
  system.answers = {IDNO};  // the elevation notice refused: nothing runs
  command(ID_SERVICE_INSTALL);
  EXPECT_TRUE(system.shellCalls.empty());
  system.answers = {IDYES, IDOK};
  command(ID_SERVICE_INSTALL);
  ASSERT_EQ(1u, system.shellCalls.size());
  EXPECT_EQ("runas|" + tool + "|mb /inst \"RAVO NTP SERVER\" DAMPLIN.exe interactive \"ミルタ NTPサーバー\"||5|64",
            system.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{30000}, system.waits);
  ASSERT_EQ(4u, system.boxes.size());
  EXPECT_EQ(
      "サービスとしての登録・解除処理には管理者権限が必要です。\n\n次のユーザアカウント制御の確認画面では\n"
      "「ミルタ-サービス登録.exe」の実行に[許可]を与えてください。\n(※キャンセルをするとサービス登録はできません。)",
      system.boxes[2].text);
  EXPECT_EQ("※サービス起動はWindows再起動後に有効になります", system.boxes[3].text);
  system.SetWindowsXP();
  command(ID_SERVICE_REMOVE);
  ASSERT_EQ(2u, system.shellCalls.size());
  EXPECT_EQ("open|" + folder.Path() + "KORVEX.exe|silent /rm \"RAVO NTP SERVER\"||5|64", system.shellCalls[1].Text());
  EXPECT_EQ(4u, system.boxes.size());
  SendMessageA(hWnd, WM_CLOSE, 0, 0);
}
