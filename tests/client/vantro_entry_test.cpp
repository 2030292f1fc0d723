// Vantro's entry: only "/usermode" keeps a limited process from restarting elevated; a second copy wakes the first.
#include <gtest/gtest.h>

#include "client/res/resource_ids.h"
#include "client/vantro.h"
#include "client/vantro_app.h"
#include "support/fake_system_api.h"

TEST(VantroEntryTest, ElevationRuleAndSecondInstance) {
  CFakeSystemApi api;
  api.SetVista(3);  // a limited token
  EXPECT_EQ(1, VantroMain(GetModuleHandleA(nullptr), "/USERMODE", SW_SHOWMINIMIZED));
  EXPECT_EQ(1, VantroMain(GetModuleHandleA(nullptr), "", SW_SHOW));
  ASSERT_EQ(2u, api.shellCalls.size());
  EXPECT_EQ("runas|C:\\suite\\Program.exe|/USERMODE|C:\\work|2|64", api.shellCalls[0].Text());
  EXPECT_EQ((std::vector<DWORD>{100, 100}), api.waits);

  WNDCLASSA wc = {0, DefWindowProcA, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, CVantro::kClassName};
  ASSERT_TRUE(RegisterClassA(&wc));  // a window of the class stands for a running copy
  HWND hRunning = CreateWindowA(CVantro::kClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(0, VantroMain(GetModuleHandleA(nullptr), "/usermode", SW_SHOW));
  EXPECT_EQ(2u, api.shellCalls.size());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, hRunning, WM_VANTRO_TRAY_NOTIFY, WM_VANTRO_TRAY_NOTIFY, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
  EXPECT_EQ(WM_LBUTTONDOWN, msg.lParam);
  DestroyWindow(hRunning);
  UnregisterClassA(CVantro::kClassName, nullptr);
}
