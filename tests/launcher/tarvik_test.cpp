// The launcher's "/admin" with a limited token: the elevated restart, and
// failed system calls. (Under Wine the token is elevated; the system test
// runs the scripts.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/relaunch.h"
#include "launcher/tarvik.h"
#include "support/fake_system_api.h"

TEST(Tarvik, LimitedTokenRestartsElevatedAndWaits) {
  CFakeSystemApi fake;
  fake.sCurrentDirectory = "C:\\caller";
  fake.SetVista(3);
  EXPECT_EQ(0, TarvikMain("missing.txt /admin", SW_SHOW));  // only the first argument asks for it
  EXPECT_TRUE(fake.shellCalls.empty());
  fake.sCommandLine = "\"C:\\suite\\Program.exe\" /Admin  s.txt \"x y\"";
  EXPECT_EQ(1, TarvikMain("/Admin  s.txt \"x y\"", SW_SHOWMINNOACTIVE));
  ASSERT_EQ(1u, fake.shellCalls.size());  // no script ran here
  // The arguments as received, the current directory, the entry's show state.
  EXPECT_EQ("runas|C:\\suite\\Program.exe|/Admin  s.txt \"x y\"|C:\\caller|7|64", fake.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
  fake.bFailShell = TRUE;  // elevation refused: no script runs either
  EXPECT_EQ(1, TarvikMain("/admin s.txt", SW_SHOW));
  EXPECT_EQ(1u, fake.waits.size());
  fake.bFailShell = FALSE;
  for (int system : {0, 1, 2, 3}) {  // XP, Windows 9x, a default token, no token functions
    if (system == 0) fake.SetWindowsXP();
    if (system == 1) fake.SetWindows9x();
    if (system == 2) fake.SetVista(1);
    if (system == 3) fake.SetVista(3), fake.bMissingTokenApi = TRUE;
    EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW)) << system;
  }
  EXPECT_EQ(2u, fake.shellCalls.size());
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(0, fake.nLoadedLibraries);
}

TEST(Tarvik, FailedCallsShowApiErrorFalseAndGoOn) {
  struct Case {
    BOOL CFakeSystemApi::*flag;
    const char* call;
    BOOL bRelaunched;
  } cases[] = {
      {&CFakeSystemApi::bFailGetVersion, "GetVersionEx", FALSE},     // nothing read
      {&CFakeSystemApi::bFailOpenToken, "OpenProcessToken", FALSE},  // no type read
      {&CFakeSystemApi::bFailTokenInfo, "GetTokenInformation", FALSE},
      {&CFakeSystemApi::bFailCloseHandle, "CloseHandle", TRUE},
      {&CFakeSystemApi::bFailModuleFileName, "GetModuleFileName", TRUE},
      {&CFakeSystemApi::bFailCurrentDirectory, "GetCurrentDirectory", TRUE},
  };
  for (const Case& c : cases) {
    CFakeSystemApi api;
    api.SetVista(3);
    api.*c.flag = TRUE;
    EXPECT_EQ(c.bRelaunched, RelaunchElevated("/admin s.txt", SW_SHOW)) << c.call;
    ASSERT_EQ(1u, api.boxes.size()) << c.call;
    EXPECT_EQ(c.call + std::string("|API Error FALSE"), api.boxes[0].text + "|" + api.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), api.boxes[0].type);
    EXPECT_EQ(nullptr, api.boxes[0].owner);
    EXPECT_EQ(c.bRelaunched ? 1u : 0u, api.shellCalls.size()) << c.call;
    EXPECT_EQ(0, api.nLoadedLibraries);
  }
}
