// Whole frames: a thousand cycles leave no GDI or USER object behind; the demonstration frame; the generated icon.
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

// The process's GDI and USER objects: GetGuiResources where the system has it. Wine answers ERROR_CALL_NOT_IMPLEMENTED;
// there the live handles of its GDI table (a bare index is a handle) and the process's windows (index * 2 + 0x20, any
// generation) are counted by probing handle values.
int CountObjects(DWORD dwKind) {
  SetLastError(0);
  DWORD n = GetGuiResources(GetCurrentProcess(), dwKind);
  if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<int>(n);
  int nLive = 0;
  for (UINT_PTR i = 0; i < 0x10000; ++i) {
    HWND h = reinterpret_cast<HWND>(i * 2 + 0x20);
    DWORD dwProcess = 0;
    nLive += dwKind == GR_GDIOBJECTS ? i > 0 && GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0
                                      : i < 0x8000 && IsWindow(h) && GetWindowThreadProcessId(h, &dwProcess) &&
                                            dwProcess == GetCurrentProcessId();
  }
  return nLive;
}
}  // namespace

TEST_F(WindowTest, AThousandFramesLeaveTheObjectCountsWhereTheyWere) {
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
  int nGdi = CountObjects(GR_GDIOBJECTS), nUser = CountObjects(GR_USEROBJECTS);
  HBRUSH hBrush = CreateSolidBrush(RGB(1, 2, 3));  // the counters count
  HWND hWindow = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(nGdi + 1, CountObjects(GR_GDIOBJECTS));
  EXPECT_LT(nUser, CountObjects(GR_USEROBJECTS));
  DeleteObject(hBrush);
  DestroyWindow(hWindow);
  CCountedFrame::nDeleted = 0;
  for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) cycle();
  EXPECT_EQ(1000, CCountedFrame::nDeleted);
  EXPECT_EQ(nGdi, CountObjects(GR_GDIOBJECTS));
  EXPECT_EQ(nUser, CountObjects(GR_USEROBJECTS));
}

TEST_F(WindowTest, DemonstrationFrameAndTheGeneratedIcon) {
  CTempFolder folder;
  auto* pFrame = new CDemoFrame(folder.Path().c_str());
  app.makeMain = [&] { return pFrame; };
  ASSERT_TRUE(app.InitInstance());
  aFrames.push_back(pFrame->hWnd);
  SetWindowPos(pFrame->hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageA(pFrame->hWnd, WM_MENUSELECT, MAKEWPARAM(32776, MF_STRING), 0);  // a command's help in the status bar
  HoldForPhoto(pFrame->hWnd, [&] { RunFor(app, 100); });  // photographed by screenshots.py

  // The icon made from text, on dark green: transparent corner, green rim, white face.
  for (int nSize : {16, 32}) {
    HICON hIcon = static_cast<HICON>(LoadImageA(app.hInstance, MAKEINTRESOURCEA(IDI_TEST), IMAGE_ICON, nSize, nSize, 0));
    ASSERT_NE(nullptr, hIcon);
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, CreateBitmap(nSize, nSize, 1, 32, nullptr));
    SelectObject(hdc, GetStockObject(DC_BRUSH));
    SetDCBrushColor(hdc, RGB(0, 64, 0));
    PatBlt(hdc, 0, 0, nSize, nSize, PATCOPY);
    DrawIconEx(hdc, 0, 0, hIcon, nSize, nSize, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(RGB(0, 64, 0), GetPixel(hdc, 0, 0));
    EXPECT_EQ(RGB(0x2c, 0xa0, 0x2c), GetPixel(hdc, nSize / 2, nSize / 16));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(hdc, nSize / 4, nSize / 2));
    DeleteObject(SelectObject(hdc, hOld));
    DeleteDC(hdc);
    DestroyIcon(hIcon);
  }
}
