// The message loop: routing to objects, its end with the main frame, idle phases, pre-translation, accelerators.
#include "gui_test_support.h"
#include "wl/attach_ctrl.h"
#include "wl/window_map.h"
#include "wl/window_procs.h"

namespace {
int g_nQuitSeenAtDelete = -1;  // whether WM_QUIT was queued when the main frame's object went
class CQuitWatchFrame : public CWLFrameWindow {
 public:
  ~CQuitWatchFrame() override {
    MSG msg;
    g_nQuitSeenAtDelete = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE);
  }
};

class CPreTranslateFrame : public CRecordingFrame {
 public:
  BOOL PreTranslateMessage(MSG* pMsg) override { return nSeen += pMsg->message == WM_USER + 5, FALSE; }
  LRESULT OnCommand(UINT nCode, UINT nId, HWND hCtrl) override {
    aHelp.push_back(nId);  // commands noted with the help identifiers
    return CWLFrameWindow::OnCommand(nCode, nId, hCtrl);
  }
  int nSeen = 0;
};

int g_nNcDestroys = 0, g_nTicks = 0;
LRESULT CALLBACK CountingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  g_nNcDestroys += uMsg == WM_NCDESTROY;
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++g_nTicks; }
}  // namespace

TEST_F(WindowTest, MessagesReachTheObjectFromNcCreateOnAndUnboundWindowsTheDefault) {
  auto* pFrame = NewFrame<CRecordingFrame>();
  // Bound at WM_NCCREATE, the object first gets the default GUI font.
  ASSERT_LE(2u, pFrame->aMessages.size());
  EXPECT_EQ(static_cast<UINT>(WM_SETFONT), pFrame->aMessages[0]);
  EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), pFrame->aMessages[1]);
  HWND hBare = CreateWindowExA(0, pFrame->sClassName, "", 0, 0, 0, 50, 50, nullptr, nullptr, app.hInstance, nullptr);
  EXPECT_EQ(nullptr, GetWindowObject(hBare));
  SendMessageA(hBare, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("既定の処理"));
  char szText[32] = "";
  GetWindowTextA(hBare, szText, sizeof(szText));
  EXPECT_STREQ("既定の処理", szText);
  EXPECT_EQ(DefWindowProcA(hBare, WM_NCHITTEST, 0, MAKELPARAM(-5000, -5000)),
            WLWindowProc(hBare, WM_NCHITTEST, 0, MAKELPARAM(-5000, -5000)));
  DestroyWindow(hBare);

  // A subclassed control's own procedure gets what follows its object's end.
  WNDCLASSA wc = {0, CountingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, "WLTestCounting"};
  RegisterClassA(&wc);
  auto* pCtrl = new CWLAttachCtrl;
  ASSERT_TRUE(pCtrl->Attach(CreateWindowExA(0, "WLTestCounting", "", WS_CHILD, 0, 0, 9, 9, pFrame->hWnd, nullptr,
                                            nullptr, nullptr)));
  DestroyWindow(pCtrl->hWnd);
  EXPECT_EQ(1, g_nNcDestroys);
}

TEST_F(WindowTest, TheMainFrameEndsTheLoopAfterItsObjectAndRunReturnsTheQuitCode) {
  app.makeMain = [] { return new CQuitWatchFrame; };
  ASSERT_TRUE(app.InitInstance());
  DestroyWindow(app.pMainWnd->hWnd);
  EXPECT_EQ(0, g_nQuitSeenAtDelete);
  EXPECT_EQ(nullptr, app.pMainWnd);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);

  CTestApp second;  // quits with 42 before its first idle phase
  second.makeMain = [] { return new CWLFrameWindow; };
  PostQuitMessage(42);
  EXPECT_EQ(42, RunApp(&second, GetModuleHandleA(nullptr), nullptr, SW_HIDE));
  EXPECT_EQ(0, second.nIdlePhases);
  DestroyWindow(second.pMainWnd->hWnd);
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  CTestApp third;  // no main window: ends at once with 0
  EXPECT_EQ(0, RunApp(&third, GetModuleHandleA(nullptr), "/x", SW_HIDE));
}

TEST_F(WindowTest, OnIdleOncePerIdlePhasePreTranslationOnlyWhenAskedAcceleratorsAtTheTop) {
  auto* pFrame = NewFrame<CPreTranslateFrame>();
  UINT_PTR nTimer = SetTimer(nullptr, 0, 20, CountTick);
  RunFor(app, 400);
  KillTimer(nullptr, nTimer);
  EXPECT_GT(app.nIdlePhases, 3);
  EXPECT_EQ(app.nIdlePhases, app.nIdleCalls);     // the framework's OnIdle ends each phase
  EXPECT_LE(app.nIdlePhases, 4 * g_nTicks + 10);  // not a spin

  HWND hChild = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 80, 20, pFrame->hWnd, nullptr, app.hInstance, nullptr);
  for (BOOL bOn : {FALSE, TRUE}) {
    app.bWindowPreTranslate = bOn;
    PostMessageA(hChild, WM_USER + 5, 0, 0);
    PostQuitMessage(0);
    app.Run();
  }
  EXPECT_EQ(1, pFrame->nSeen);  // only while switched on, at the parent
  // A focused child would swallow the command.
  ACCEL accel = {FVIRTKEY, VK_F5, 32775};
  app.hAccel = CreateAcceleratorTableA(&accel, 1);
  MSG msg = {hChild, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
  EXPECT_TRUE(app.PreTranslateMessage(&msg));
  EXPECT_EQ(std::vector<UINT>{32775}, pFrame->aHelp);
  DestroyAcceleratorTable(app.hAccel);
}
