#pragma once
// Window-framework test helpers: an application, photo holds, pixels read back, counting items, a recording frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/clock.h"
#include "wl/frame_window.h"
#include "wl/framework_app.h"
#include "wl/owner_draw_item.h"

// The test's application: main window from makeMain; idle phases counted, WM_QUIT 0 once nQuitAfterIdle have begun.
class CTestApp : public CWLFrameworkApp {
 public:
  CWLFrameWindow* CreateMainWindow() override { return makeMain ? makeMain() : nullptr; }
  BOOL OnIdle(LONG lCount) override {
    ++nIdleCalls;
    if (lCount == 0 && ++nIdlePhases == nQuitAfterIdle) PostQuitMessage(0);
    return CWLFrameworkApp::OnIdle(lCount);
  }

  std::function<CWLFrameWindow*()> makeMain;
  int nIdleCalls = 0, nIdlePhases = 0, nQuitAfterIdle = 0;
};

// Runs the message loop of app until nMs have passed (then WM_QUIT 7).
int RunFor(CWLApp& app, UINT nMs);
// Dispatches what is queued, without idle phases.
void PumpPending();

// With SHOT_HOLD set (screenshots.py), a window of a class and caption not seen before is shown and held, pump()
// running, until photographed: its rectangle and caption go into HOLD-n.ready; HOLD-n.done lets it go.
inline void HoldForPhoto(HWND h, std::function<void()> pump = [] { GetWin32Clock()->Sleep(100); }) {
  static std::set<std::string> seen;
  char szCaption[256] = "", szClass[64] = "";
  GetWindowTextA(h, szCaption, sizeof(szCaption));
  GetClassNameA(h, szClass, sizeof(szClass));
  const char* pszHold = getenv("SHOT_HOLD");
  if (pszHold == nullptr || h == nullptr || !seen.insert(std::string(szClass) + szCaption).second) return;
  ShowWindow(h, SW_SHOWNA);
  RECT rc;
  GetWindowRect(h, &rc);
  std::string sName = std::string(pszHold) + "-" + std::to_string(seen.size());
  std::ofstream(sName + ".ready") << rc.left << " " << rc.top << " " << rc.right - rc.left << " "
                                  << rc.bottom - rc.top << " " << szCaption;
  for (int i = 0; i < 600 && GetFileAttributesA((sName + ".done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) pump();
}

// A copy of a window's client area (PrintWindow), pixels as COLORREF.
class CPixels {
 public:
  explicit CPixels(HWND hWnd);
  COLORREF At(int x, int y) const;
  int Count(const RECT& rc, COLORREF c) const;  // the pixels of colour c in rc
  int nWidth = 0, nHeight = 0;

 private:
  std::vector<DWORD> aPixels;
};


// An item that counts its deletions, to prove each is freed exactly once.
class CCountedItem : public CWLOwnerDrawItemData {
 public:
  explicit CCountedItem(const char* pszText, int nImageIndex = 0)
      : sText(pszText), nSerial(static_cast<int>(aDeletions.size())) {
    nImage = nImageIndex;
    aDeletions.push_back(0);
  }
  ~CCountedItem() override { ++aDeletions[nSerial]; }
  CCharString GetText() override { return sText; }
  CCharString sText;
  int nSerial;
  static std::vector<int> aDeletions;  // by serial
};

// A frame that records the messages reaching its object.
class CRecordingFrame : public CWLFrameWindow {
 public:
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    aMessages.push_back(uMsg);
    return CWLFrameWindow::WindowProc(uMsg, wParam, lParam);
  }
  LRESULT DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    aDefaultMessages.push_back(uMsg);
    return CWLFrameWindow::DefaultProc(uMsg, wParam, lParam);
  }
  void UpdateCmdState(CWLCmdState* pState) override {
    if (onCmdState) onCmdState(pState);
  }
  void ShowCommandHelp(UINT nId) override { aHelp.push_back(nId); }

  std::vector<UINT> aMessages;        // every message the object saw
  std::vector<UINT> aDefaultMessages; // those that reached default processing
  std::vector<UINT> aHelp;
  std::function<void(CWLCmdState*)> onCmdState;
};

// The thread's application for each test; frames made by NewFrame are destroyed after it.
class WindowTest : public ::testing::Test {
 protected:
  template <class T = CWLFrameWindow, class... Args>
  T* NewFrame(Args&&... args) {
    T* pFrame = new T(std::forward<Args>(args)...);
    EXPECT_TRUE(pFrame->CreateFrame(&app));
    aFrames.push_back(pFrame->hWnd);
    return pFrame;
  }
  void TearDown() override {
    for (HWND h : aFrames) {
      if (IsWindow(h)) DestroyWindow(h);
    }
    PumpPending();
  }
  CTestApp app;
  std::vector<HWND> aFrames;
};
