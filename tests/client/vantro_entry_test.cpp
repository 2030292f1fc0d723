// Vantro's entry: only the exact "/usermode" keeps a limited process from
// restarting elevated, and a second copy wakes the first and ends with 0.
#include <gtest/gtest.h>

#include "client/res/resource_ids.h"
#include "client/vantro.h"
#include "client/vantro_app.h"
#include "support/fake_system_api.h"

TEST(VantroEntryTest, ElevationRuleAndSecondInstance) {
  CFakeSystemApi api;
  api.SetVista(3);  // a limited token
  for (const char* pszLine : {"", "/USERMODE", "/usermode /service"}) {
    api.shellCalls.clear();
    EXPECT_EQ(1, VantroMain(GetModuleHandleA(nullptr), pszLine, SW_SHOWMINIMIZED));
    ASSERT_EQ(1u, api.shellCalls.size()) << pszLine;
    EXPECT_EQ(std::string("runas|C:\\suite\\Program.exe|") + pszLine + "|C:\\work|2|64", api.shellCalls[0].Text());
    EXPECT_EQ(std::vector<DWORD>{100}, api.waits);
    api.waits.clear();
  }

  // A window of the class stands for a running copy.
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = CVantro::kClassName;
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND hRunning = CreateWindowA(CVantro::kClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  api.shellCalls.clear();
  EXPECT_EQ(0, VantroMain(GetModuleHandleA(nullptr), "/usermode", SW_SHOW));
  EXPECT_TRUE(api.shellCalls.empty());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, hRunning, WM_VANTRO_TRAY_NOTIFY, WM_VANTRO_TRAY_NOTIFY, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
  EXPECT_EQ(WM_LBUTTONDOWN, msg.lParam);
  DestroyWindow(hRunning);
  UnregisterClassA(CVantro::kClassName, nullptr);
}
