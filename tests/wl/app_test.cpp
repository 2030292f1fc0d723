// The application and its message loop: routing of messages to objects, the
// end of the loop with the main frame, idle phases, pre-translation.
#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "wl/window_map.h"
#include "wl/window_procs.h"

namespace {
// Records, in its destructor, whether WM_QUIT was already queued.
class CQuitWatchFrame : public CWLFrameWindow {
 public:
  explicit CQuitWatchFrame(int* pQuitSeen) : pQuitSeenAtDelete(pQuitSeen) {}
  ~CQuitWatchFrame() override {
    MSG msg;
    *pQuitSeenAtDelete = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }
  int* pQuitSeenAtDelete;
};

class CPreTranslateFrame : public CWLFrameWindow {
 public:
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message == WM_USER + 5) ++nSeen;
    return FALSE;
  }
  LRESULT OnCommand(UINT nCode, UINT nId, HWND hCtrl) override {
    aCommands.push_back(nId);
    return CWLFrameWindow::OnCommand(nCode, nId, hCtrl);
  }
  int nSeen = 0;
  std::vector<UINT> aCommands;
};

int s_nTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++s_nTicks; }
}  // namespace

TEST(AppLoop, MessagesReachTheObjectFromNcCreateOnAndUnboundWindowsTheDefault) {
  CTestApp app;
  auto* pFrame = new CRecordingFrame;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  // Bound at WM_NCCREATE, the object first gets the default GUI font.
  ASSERT_LE(2u, pFrame->aMessages.size());
  EXPECT_EQ(static_cast<UINT>(WM_SETFONT), pFrame->aMessages[0]);
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), pFrame->aMessages[1]);
  EXPECT_EQ(pFrame, GetWindowObject(pFrame->hWnd));
  EXPECT_EQ(0, GetWindowTextLengthA(pFrame->hWnd));  // created with an empty title

  // A window of a framework class made without object: the default procedure
  // answers, unchanged.
  HWND hBare = CreateWindowExA(0, pFrame->sClassName, "bare", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                               app.hInstance, nullptr);
  ASSERT_NE(nullptr, hBare);
  EXPECT_EQ(nullptr, GetWindowObject(hBare));
  SendMessageA(hBare, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("既定の処理"));
  char szText[32] = "";
  GetWindowTextA(hBare, szText, sizeof(szText));
  EXPECT_STREQ("既定の処理", szText);
  EXPECT_EQ(DefWindowProcA(hBare, WM_NCHITTEST, 0, MAKELPARAM(-5000, -5000)),
            WLWindowProc(hBare, WM_NCHITTEST, 0, MAKELPARAM(-5000, -5000)));
  DestroyWindow(hBare);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(AppLoop, TheMainFrameEndsTheLoopAfterItsObjectIsGoneAndRunReturnsTheQuitCode) {
  int nQuitSeenAtDelete = -1;
  CTestApp app;
  app.makeMain = [&] { return new CQuitWatchFrame(&nQuitSeenAtDelete); };
  ASSERT_TRUE(app.InitInstance());
  DestroyWindow(app.pMainWnd->hWnd);
  EXPECT_EQ(0, nQuitSeenAtDelete);  // the object went first
  EXPECT_EQ(nullptr, app.pMainWnd);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);

  // RunApp: Run's quit code comes back through ExitInstance; the first idle
  // phase quits with 0 here, a quit before it gives its own code.
  CTestApp app2;
  app2.makeMain = [] { return new CWLFrameWindow; };
  app2.nQuitAfterIdle = 1;
  PostQuitMessage(42);
  EXPECT_EQ(42, RunApp(&app2, GetModuleHandleA(nullptr), nullptr, SW_HIDE));
  EXPECT_EQ(42, app2.nExitCode);
  EXPECT_STREQ("", app2.sCmdLine);
  EXPECT_EQ(0, app2.nIdlePhases);
  DestroyWindow(app2.pMainWnd->hWnd);
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

  // No main window: the program ends at once with 0.
  CTestApp app3;
  EXPECT_EQ(0, RunApp(&app3, GetModuleHandleA(nullptr), "/x", SW_HIDE));
}

TEST(AppLoop, OnIdleRunsOncePerIdlePhase) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  // Ten posted messages, one at a time from a 20 ms timer: about ten idle
  // phases, each a single call (the framework's OnIdle returns 0).
  s_nTicks = 0;
  UINT_PTR nTimer = SetTimer(nullptr, 0, 20, CountTick);
  RunFor(app, 400);
  KillTimer(nullptr, nTimer);
  EXPECT_GT(app.nIdlePhases, 3);
  EXPECT_EQ(app.nIdlePhases, app.nIdleCalls);
  EXPECT_LE(app.nIdlePhases, 4 * s_nTicks + 10);  // not a spin
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(AppLoop, PreTranslationOnlyWhenAskedAndAcceleratorsReachTheTopLevelWindow) {
  CTestApp app;
  auto* pFrame = new CPreTranslateFrame;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  HWND hChild = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, pFrame->hWnd, nullptr,
                                app.hInstance, nullptr);
  PostMessageA(hChild, WM_USER + 5, 0, 0);
  PostQuitMessage(0);
  app.Run();
  EXPECT_EQ(0, pFrame->nSeen);  // bWindowPreTranslate is off
  app.bWindowPreTranslate = TRUE;
  PostMessageA(hChild, WM_USER + 5, 0, 0);
  PostQuitMessage(0);
  app.Run();
  EXPECT_EQ(1, pFrame->nSeen);  // the parent of the message's window

  ACCEL accel = {FVIRTKEY | FCONTROL, 'T', 32775};
  app.hAccel = CreateAcceleratorTableA(&accel, 1);
  MSG msg = {hChild, WM_KEYDOWN, 'T', 0, 0, {0, 0}};
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(app.PreTranslateMessage(&msg));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  ASSERT_EQ(1u, pFrame->aCommands.size());
  EXPECT_EQ(32775u, pFrame->aCommands[0]);
  DestroyAcceleratorTable(app.hAccel);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
