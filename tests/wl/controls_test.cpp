// Controls: status-bar parts, the toolbar from its resources (captions, tooltips, transparent images), tray icon tips.
#include <string.h>

#include "gui_test_support.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl/tool_tip.h"
#include "wl/tray_icon.h"
#include "wl_test_ids.h"

namespace {
std::vector<int> PartEdges(HWND hStatus) {
  int aEdges[8] = {};
  int n = static_cast<int>(SendMessageA(hStatus, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(aEdges)));
  return std::vector<int>(aEdges, aEdges + n);
}

std::string ButtonText(HWND hToolBar, UINT nId) {
  char szText[64] = "";
  SendMessageA(hToolBar, TB_GETBUTTONTEXTA, nId, reinterpret_cast<LPARAM>(szText));
  return szText;
}

std::string ToolText(HWND hTip, HWND hOwner, UINT_PTR uId) {
  char szText[100] = "";
  TOOLINFOA info = {sizeof(info), 0, hOwner, uId, {}, nullptr, szText, 0, nullptr};
  SendMessageA(hTip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  return szText;
}
}  // namespace

TEST_F(WindowTest, StatusBarPartsLeaveTheRestToTheFlexiblePart) {
  auto* pStatus = new CWLStatusBarEx;
  ASSERT_TRUE(pStatus->CreateCtrl(NewFrame<>(), 0, 0, 0, 0, "", 131));
  RECT rc;
  GetWindowRect(pStatus->hWnd, &rc);
  int nWidth = rc.right - rc.left;
  const int kVantro[] = {-1, 120, 150}, kMiddle[] = {100, -1, 50};
  ASSERT_TRUE(pStatus->SetParts(3, kVantro));
  EXPECT_EQ((std::vector<int>{nWidth - 270, nWidth - 150, nWidth}), PartEdges(pStatus->hWnd));
  pStatus->SetParts(3, kMiddle);
  EXPECT_EQ((std::vector<int>{100, nWidth - 50, nWidth}), PartEdges(pStatus->hWnd));
}

TEST_F(WindowTest, TrayIconTipsAreCutOnACharacterBoundary) {
  HWND hFrame = NewFrame<>()->hWnd;
  std::string sTip;
  for (int i = 0; i < 70; ++i) sTip += "時";  // 140 bytes
  CTrayIcon full, compact(CTrayIcon::kCompact);  // Vantro's, Sorbel's
  ASSERT_TRUE(full.Init(hFrame, 100, nullptr, sTip.c_str(), 35998));
  EXPECT_FALSE(full.Init(hFrame, 101, nullptr, "again", 35998));
  ASSERT_TRUE(compact.Init(hFrame, 102, nullptr, ("a" + sTip).c_str(), 35998));
  // 127 would split a character; 63 does not.
  EXPECT_EQ((std::vector<size_t>{508, 126, 88, 63}),
            (std::vector<size_t>{full.nid.cbSize, strlen(full.nid.szTip), compact.nid.cbSize, strlen(compact.nid.szTip)}));
  compact.Remove();
  EXPECT_TRUE(compact.Init(hFrame, 102, nullptr, "短い", 35998));  // free again
}

TEST_F(WindowTest, ToolBarFromItsResourcesWithCaptionsTooltipsAndTransparentImages) {
  auto* pFrame = NewFrame<>();
  auto* pToolBar = new CWLToolBarEx(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP);
  ASSERT_TRUE(pToolBar->CreateCtrl(pFrame, 0, 0, 0, 0, "", 130));
  HWND hBar = pToolBar->hWnd;
  ASSERT_TRUE(pToolBar->LoadToolBar(IDR_TOOLBAR, TRUE));
  ASSERT_EQ(18, SendMessageA(hBar, TB_BUTTONCOUNT, 0, 0));
  std::vector<int> images;  // bitmap index of each button, or -width of a separator
  for (int i = 0; i < 18; ++i) {
    TBBUTTON button = {};
    SendMessageA(hBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    images.push_back(button.fsStyle & TBSTYLE_SEP ? -button.iBitmap : button.iBitmap);
  }
  EXPECT_EQ((std::vector<int>{0, 1, -6, 2, -6, 3, -6, 4, 5, 6, -6, 7, 8, -6, 9, 10, -6, 11}), images);
  EXPECT_EQ("テスト", ButtonText(hBar, 32775));
  EXPECT_EQ("順位↑", ButtonText(hBar, 32779));

  // The toolbar's own tooltip control gets a tool with the help text of each command button.
  HWND hTip = reinterpret_cast<HWND>(SendMessageA(hBar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(nullptr, hTip);
  int nBefore = static_cast<int>(SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
  pToolBar->AddToolTips(hTip);
  EXPECT_EQ(nBefore + 12, SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
  EXPECT_EQ("時刻補正をテスト実行します\n（実際の時刻の補正自体は行なわれません）", ToolText(hTip, hBar, 32775));

  // The stop image in red; magenta nowhere.
  CPixels pixels(hBar);
  RECT rcStop;
  SendMessageA(hBar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rcStop));
  EXPECT_GT(pixels.Count(rcStop, RGB(255, 0, 0)), 40);
  EXPECT_EQ(0, pixels.Count({0, 0, pixels.nWidth, pixels.nHeight}, RGB(255, 0, 255)));

  auto* pPlain = new CWLToolBarEx;  // captions given afterwards
  ASSERT_TRUE(pPlain->CreateCtrl(pFrame, 0, 50, 400, 40, "", 132));
  ASSERT_TRUE(pPlain->LoadToolBar(IDR_TOOLBAR, FALSE));
  EXPECT_EQ("", ButtonText(pPlain->hWnd, 32776));
  ASSERT_TRUE(pPlain->SetButtonTexts());
  EXPECT_EQ("開始", ButtonText(pPlain->hWnd, 32776));
  EXPECT_FALSE(pPlain->LoadToolBar(999, FALSE));
  EXPECT_FALSE(pPlain->LoadToolBar(IDR_NO_BITMAP, FALSE));

  auto* pTip = new CWLToolTip;  // a tooltip of the frame's own
  ASSERT_TRUE(pTip->CreateCtrl(pFrame, 0, 0, 0, 0, "", 0));
  ASSERT_TRUE(pTip->AddTool(hBar, "ツールバー"));
  EXPECT_EQ("ツールバー", ToolText(pTip->hWnd, pFrame->hWnd, reinterpret_cast<UINT_PTR>(hBar)));
}
