// The tray icon in both forms, against the notification area of the session.
#include <gtest/gtest.h>

#include <string.h>

#include "gui_test_support.h"
#include "wl/tray_icon.h"
#include "wl_test_ids.h"

namespace {
// Whether the shell knows the icon: modifying an absent icon fails.
bool Present(const CTrayIcon& tray) {
  NOTIFYICONDATAA nid = tray.nid;
  nid.hWnd = nid.hWnd != nullptr ? nid.hWnd : GetDesktopWindow();
  return Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}
}  // namespace

TEST(TrayIcon, BothFormsAddDeleteAndCutTheirTips) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  HICON hIcon = static_cast<HICON>(LoadImageA(app.hInstance, MAKEINTRESOURCEA(IDI_TEST), IMAGE_ICON, 16, 16, 0));
  // 70 two-byte characters: 140 bytes.
  std::string sTip;
  for (int i = 0; i < 70; ++i) sTip += "時";

  CTrayIcon full;  // Vantro's
  EXPECT_EQ(508u, full.nid.cbSize);
  ASSERT_TRUE(full.Init(pFrame->hWnd, 100, hIcon, sTip.c_str(), 35998));
  EXPECT_FALSE(full.Init(pFrame->hWnd, 101, hIcon, "again", 35998));
  EXPECT_EQ(126u, strlen(full.nid.szTip));  // 127 would split a character
  EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), full.nid.uFlags);
  EXPECT_TRUE(full.Show(TRUE));
  EXPECT_TRUE(Present(full));
  EXPECT_TRUE(full.Show(TRUE));  // already shown: nothing is added again

  CTrayIcon compact(CTrayIcon::kCompact);  // Sorbel's
  EXPECT_EQ(88u, compact.nid.cbSize);
  ASSERT_TRUE(compact.Init(pFrame->hWnd, 102, hIcon, ("a" + sTip).c_str(), 35998));
  EXPECT_EQ(63u, strlen(compact.nid.szTip));
  EXPECT_TRUE(compact.Show(TRUE));
  EXPECT_TRUE(Present(compact));
  EXPECT_FALSE(full.Show(FALSE));  // (the notification area stays while one icon is left)
  EXPECT_FALSE(Present(full));
  EXPECT_TRUE(Present(compact));
  EXPECT_TRUE(compact.Remove());
  EXPECT_FALSE(compact.bShown);
  EXPECT_EQ(nullptr, compact.nid.hWnd);
  EXPECT_TRUE(compact.Init(pFrame->hWnd, 102, hIcon, "短い", 35998));  // free again
  EXPECT_STREQ("短い", compact.nid.szTip);
  DestroyIcon(hIcon);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
