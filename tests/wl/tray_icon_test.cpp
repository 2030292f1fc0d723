// The tray icon in both forms, against the notification area of the session.
#include <string.h>

#include "gui_test_support.h"
#include "wl/tray_icon.h"
#include "wl_test_ids.h"

namespace {
// Whether the shell has the icon: modifying an absent icon fails.
bool Present(CTrayIcon& tray) { return Shell_NotifyIconA(NIM_MODIFY, &tray.nid) != FALSE; }
}  // namespace

TEST_F(WindowTest, TrayIconsOfBothFormsAddDeleteAndCutTheirTips) {
  HWND hFrame = NewFrame<>()->hWnd;
  HICON hIcon = static_cast<HICON>(LoadImageA(app.hInstance, MAKEINTRESOURCEA(IDI_TEST), IMAGE_ICON, 16, 16, 0));
  std::string sTip;
  for (int i = 0; i < 70; ++i) sTip += "時";  // 140 bytes

  CTrayIcon full;  // Vantro's
  EXPECT_EQ(508u, full.nid.cbSize);
  ASSERT_TRUE(full.Init(hFrame, 100, hIcon, sTip.c_str(), 35998));
  EXPECT_FALSE(full.Init(hFrame, 101, hIcon, "again", 35998));
  EXPECT_EQ(126u, strlen(full.nid.szTip));  // 127 would split a character
  EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), full.nid.uFlags);
  EXPECT_TRUE(full.Show(TRUE));
  EXPECT_TRUE(Present(full));
  EXPECT_TRUE(full.Show(TRUE));  // already shown: not added again

  CTrayIcon compact(CTrayIcon::kCompact);  // Sorbel's
  EXPECT_EQ(88u, compact.nid.cbSize);
  ASSERT_TRUE(compact.Init(hFrame, 102, hIcon, ("a" + sTip).c_str(), 35998));
  EXPECT_EQ(63u, strlen(compact.nid.szTip));
  EXPECT_TRUE(compact.Show(TRUE));
  EXPECT_FALSE(full.Show(FALSE));  // (one icon stays, so the area stays: no wait for it)
  EXPECT_FALSE(Present(full));
  EXPECT_TRUE(Present(compact));
  EXPECT_TRUE(compact.Remove());
  EXPECT_FALSE(compact.bShown);
  EXPECT_TRUE(compact.Init(hFrame, 102, hIcon, "短い", 35998));  // free again
  DestroyIcon(hIcon);
}
