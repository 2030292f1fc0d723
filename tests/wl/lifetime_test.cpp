// Whole frames: a thousand made and destroyed leave no GDI or USER object
// behind; the demonstration frame photographed; the generated icon.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "../client/temp_folder.h"
#include "core/clock.h"
#include "demo_frame.h"
#include "gui_test_support.h"
#include "wl_test_ids.h"

namespace {
class CCountedFrame : public CDemoFrame {
 public:
  using CDemoFrame::CDemoFrame;
  ~CCountedFrame() override { ++nDeleted; }
  static int nDeleted;
};
int CCountedFrame::nDeleted = 0;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

TEST(Lifetime, AThousandFramesLeaveTheObjectCountsWhereTheyWere) {
  CTestApp app;
  CTempFolder folder;
  bool bRegistered = false;
  auto cycle = [&] {
    auto* pFrame = new CCountedFrame(folder.Path().c_str());
    // One window class for all, as a program names its own.
    pFrame->sClassName = "WL_TEST_CYCLING_FRAME";
    pFrame->bClassRegistered = bRegistered;
    ASSERT_TRUE(pFrame->CreateFrame(&app));
    bRegistered = true;
    pFrame->pLog->AddLog("one more", 0);
    DestroyWindow(pFrame->hWnd);
    PumpPending();
  };
  cycle();  // the first one loads what stays for the process
  int nGdi = CountGdiObjects(), nUser = CountUserObjects();
  HBRUSH hProbe = CreateSolidBrush(RGB(1, 2, 3));  // the counters count
  EXPECT_EQ(nGdi + 1, CountGdiObjects());
  DeleteObject(hProbe);
  CCountedFrame::nDeleted = 0;
  for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) cycle();
  EXPECT_EQ(1000, CCountedFrame::nDeleted);
  EXPECT_EQ(nGdi, CountGdiObjects());
  EXPECT_EQ(nUser, CountUserObjects());
}

TEST(Lifetime, DemonstrationFrameScreenshotAndTheGeneratedIcon) {
  CTestApp app;
  CTempFolder folder;
  auto* pFrame = new CDemoFrame(folder.Path().c_str());
  app.makeMain = [&] { return pFrame; };
  ASSERT_TRUE(app.InitInstance());
  SendMessageA(pFrame->hWnd, WM_MENUSELECT, MAKEWPARAM(32776, MF_STRING), 0);
  app.nQuitAfterIdle = 1;
  app.Run();
  CPixels shot = CompositeOf(pFrame->hWnd);
  EXPECT_TRUE(shot.SaveBmp(ArtifactPath("demo_frame.bmp")));
  EXPECT_EQ(0, shot.Count({0, 0, shot.nWidth, shot.nHeight}, RGB(255, 0, 255)));
  EXPECT_EQ(4, pFrame->pLog->GetItemCount());
  EXPECT_EQ(3, pFrame->pPanel->pServers->GetCount());

  // Held open for a photograph from outside (the virtual-desktop shot).
  if (const char* pszHold = getenv("WL_DEMO_HOLD")) {
    std::string hold = pszHold;
    SetWindowPos(pFrame->hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(pFrame->hWnd);
    CloseHandle(CreateFileA((hold + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (int i = 0; i < 600 && !Exists(hold + ".done"); ++i) RunFor(app, 100);
  }

  // The icon made from text: 16 and 32 pixels, transparent outside the face.
  for (int nSize : {16, 32}) {
    HICON hIcon = static_cast<HICON>(
        LoadImageA(app.hInstance, MAKEINTRESOURCEA(IDI_TEST), IMAGE_ICON, nSize, nSize, 0));
    ASSERT_NE(nullptr, hIcon);
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hBitmap = CreateBitmap(nSize, nSize, 1, 32, nullptr);
    HGDIOBJ hOld = SelectObject(hdc, hBitmap);
    RECT rc = {0, 0, nSize, nSize};
    HBRUSH hGreen = CreateSolidBrush(RGB(0, 128, 0));
    FillRect(hdc, &rc, hGreen);
    DrawIconEx(hdc, 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(RGB(0, 128, 0), GetPixel(hdc, 0, 0));                    // transparent corner
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(hdc, nSize / 2, nSize / 32));   // the blue rim
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(hdc, nSize / 4, nSize / 2));  // the white face
    SelectObject(hdc, hOld);
    DeleteObject(hGreen);
    DeleteObject(hBitmap);
    DeleteDC(hdc);
    DestroyIcon(hIcon);
  }
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
