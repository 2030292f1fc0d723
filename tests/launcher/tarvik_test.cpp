// The launcher's entry: scripts in order, "/admin" and the elevated restart,
// with the token and the command line of a fake system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/temp_folder.h"
#include "launcher/relaunch.h"
#include "launcher/tarvik.h"
#include "support/fake_system_api.h"

namespace {
// A launcher in a temporary folder with the scripts s.txt and t.txt.
class Tarvik : public ::testing::Test {
 protected:
  Tarvik() {
    fake.sModulePath = temp.Path() + "Tarvik.exe";
    fake.sCurrentDirectory = "C:\\caller";
    temp.Put("s.txt", "one.exe\r\ntwo.exe x\r\n");
    temp.Put("t.txt", "three.exe\r\n");
  }
  int Run(const std::string& arguments, int nShow = SW_SHOWNORMAL) {
    fake.sCommandLine = "\"" + fake.sModulePath + "\" " + arguments;
    return TarvikMain(arguments.c_str(), nShow);
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    for (const CFakeSystemApi::ShellCall& call : fake.shellCalls) files.push_back(call.file);
    return files;
  }
  CTempFolder temp;
  CFakeSystemApi fake;
};
}  // namespace

TEST_F(Tarvik, ScriptsInOrderAndAdminOnlyAsFirstArgument) {
  EXPECT_EQ(0, Run("s.txt missing.txt t.txt"));
  fake.SetVista(2);
  EXPECT_EQ(0, Run("/ADMIN t.txt"));  // elevated already: runs itself
  fake.SetVista(3);
  EXPECT_EQ(0, Run("t.txt /admin"));  // a script name there
  EXPECT_EQ(0, Run(""));              // empty arguments: nothing at all
  EXPECT_EQ(0, TarvikMain(nullptr, SW_SHOW));
  EXPECT_EQ((std::vector<std::string>{"one.exe", "two.exe", "three.exe", "three.exe", "three.exe"}),
            Files());
  EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Tarvik, LimitedTokenRestartsElevatedAndWaits) {
  fake.SetVista(3);
  EXPECT_EQ(1, Run("/Admin  s.txt \"x y\"", SW_SHOWMINNOACTIVE));
  ASSERT_EQ(1u, fake.shellCalls.size());  // no script ran here
  // The arguments as received, the current directory, the entry's show state.
  EXPECT_EQ("runas|" + fake.sModulePath + "|/Admin  s.txt \"x y\"|C:\\caller|7|64",
            fake.shellCalls[0].Text());
  EXPECT_EQ(std::vector<DWORD>{INFINITE}, fake.waits);
  EXPECT_EQ(0, fake.nLoadedLibraries);

  fake.bFailShell = TRUE;  // elevation refused: no script runs either
  EXPECT_EQ(1, Run("/admin s.txt"));
  EXPECT_EQ(2u, fake.shellCalls.size());
  EXPECT_EQ(1u, fake.waits.size());
  EXPECT_TRUE(fake.boxes.empty());

  fake.SetWindowsXP();
  EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW));
  fake.SetWindows9x();
  EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW));
  fake.SetVista(1);
  EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW));
  fake.SetVista(3);
  fake.bMissingTokenApi = TRUE;
  EXPECT_FALSE(RelaunchElevated("/admin s.txt", SW_SHOW));
  EXPECT_EQ(2u, fake.shellCalls.size());
  EXPECT_EQ(0, fake.nLoadedLibraries);
}

TEST_F(Tarvik, FailedCallsShowApiErrorFalseAndGoOn) {
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
    EXPECT_EQ(c.call, api.boxes[0].text);
    EXPECT_EQ("API Error FALSE", api.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), api.boxes[0].type);
    EXPECT_EQ(nullptr, api.boxes[0].owner);
    EXPECT_EQ(c.bRelaunched ? 1u : 0u, api.shellCalls.size()) << c.call;
    EXPECT_EQ(0, api.nLoadedLibraries);
  }
}
