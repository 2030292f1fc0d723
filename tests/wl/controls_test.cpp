// Controls: status-bar parts, the toolbar from its resources (buttons,
// captions, tooltips, transparent images), tooltips, geometry and texts.
#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "wl/list_box.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl/tool_tip.h"
#include "wl_test_ids.h"

namespace {
std::vector<int> PartEdges(HWND hStatus) {
  int aEdges[8] = {};
  int n = static_cast<int>(SendMessageA(hStatus, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(aEdges)));
  return std::vector<int>(aEdges, aEdges + n);
}

TOOLINFOA Tool(HWND hOwner, UINT_PTR uId, char* pszBuffer) {
  TOOLINFOA info = {};
  info.cbSize = sizeof(info);
  info.hwnd = hOwner;
  info.uId = uId;
  info.lpszText = pszBuffer;
  return info;
}

std::string ButtonText(HWND hToolBar, UINT nId) {
  char szText[64] = "";
  SendMessageA(hToolBar, TB_GETBUTTONTEXTA, nId, reinterpret_cast<LPARAM>(szText));
  return szText;
}
}  // namespace

TEST(Controls, StatusBarPartsLeaveTheRestToTheFlexiblePart) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  SetWindowPos(pFrame->hWnd, nullptr, 0, 0, 600, 300, SWP_NOZORDER);
  auto* pStatus = new CWLStatusBarEx;
  ASSERT_TRUE(pStatus->CreateCtrl(pFrame, 0, 0, 0, 0, "", 131));
  RECT rc;
  GetWindowRect(pStatus->hWnd, &rc);
  int nWidth = rc.right - rc.left;

  const int kVantro[] = {-1, 120, 150};
  ASSERT_TRUE(pStatus->SetParts(3, kVantro));
  EXPECT_EQ((std::vector<int>{nWidth - 270, nWidth - 150, nWidth}), PartEdges(pStatus->hWnd));
  const int kMiddle[] = {100, -1, 50};
  pStatus->SetParts(3, kMiddle);
  EXPECT_EQ((std::vector<int>{100, nWidth - 50, nWidth}), PartEdges(pStatus->hWnd));
  const int kFixed[] = {10, 20, 30};
  pStatus->SetParts(3, kFixed);
  EXPECT_EQ((std::vector<int>{10, 30, 60}), PartEdges(pStatus->hWnd));
  pStatus->SetText(1, "ＯＫ：３");
  char szText[32] = "";
  SendMessageA(pStatus->hWnd, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(szText));
  EXPECT_STREQ("ＯＫ：３", szText);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(Controls, ToolBarFromItsResourcesWithCaptionsTooltipsAndTransparentImages) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  auto* pToolBar = new CWLToolBarEx(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP);
  ASSERT_TRUE(pToolBar->CreateCtrl(pFrame, 0, 0, 0, 0, "", 130));
  HWND hBar = pToolBar->hWnd;
  ASSERT_TRUE(pToolBar->LoadToolBar(IDR_TOOLBAR, TRUE));
  ASSERT_EQ(18, SendMessageA(hBar, TB_BUTTONCOUNT, 0, 0));
  int nImage = 0;
  for (int i = 0; i < 18; ++i) {
    TBBUTTON button = {};
    SendMessageA(hBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (button.idCommand == 0) {
      EXPECT_TRUE(button.fsStyle & TBSTYLE_SEP);
      EXPECT_EQ(6, button.iBitmap);  // flat
    } else {
      EXPECT_EQ(nImage++, button.iBitmap);
      EXPECT_EQ(TBSTATE_ENABLED, button.fsState);
    }
  }
  EXPECT_EQ(12, nImage);
  EXPECT_EQ("テスト", ButtonText(hBar, 32775));
  EXPECT_EQ("順位↑", ButtonText(hBar, 32779));
  EXPECT_EQ(20, pToolBar->sizeBitmap.cx);

  // The toolbar's own tooltip control gets one tool per command button.
  HWND hTip = reinterpret_cast<HWND>(SendMessageA(hBar, TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(nullptr, hTip);
  int nBefore = static_cast<int>(SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
  pToolBar->AddToolTips(hTip);
  EXPECT_EQ(nBefore + 12, SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0));
  char szTip[200] = "";
  TOOLINFOA info = Tool(hBar, 32775, szTip);
  SendMessageA(hTip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ("時刻補正をテスト実行します\n（実際の時刻の補正自体は行なわれません）", szTip);

  // The images: the stop square in red, no magenta left anywhere.
  CPixels pixels(hBar);
  RECT rcStop;
  SendMessageA(hBar, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rcStop));
  EXPECT_GT(pixels.Count(rcStop, RGB(255, 0, 0)), 40);
  EXPECT_EQ(0, pixels.Count({0, 0, pixels.nWidth, pixels.nHeight}, RGB(255, 0, 255)));

  // Captions added afterwards, and the resources that are missing.
  auto* pPlain = new CWLToolBarEx;
  ASSERT_TRUE(pPlain->CreateCtrl(pFrame, 0, 50, 400, 40, "", 132));
  ASSERT_TRUE(pPlain->LoadToolBar(IDR_TOOLBAR, FALSE));
  EXPECT_EQ("", ButtonText(pPlain->hWnd, 32776));
  ASSERT_TRUE(pPlain->SetButtonTexts());
  EXPECT_EQ("開始", ButtonText(pPlain->hWnd, 32776));
  EXPECT_EQ(18, SendMessageA(pPlain->hWnd, TB_BUTTONCOUNT, 0, 0));
  EXPECT_FALSE(pPlain->LoadToolBar(999, FALSE));
  EXPECT_FALSE(pPlain->LoadToolBar(IDR_NO_BITMAP, FALSE));
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(Controls, TooltipGeometryAndTexts) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  auto* pEdit = new CWLListBox;  // any created control
  ASSERT_TRUE(pEdit->CreateCtrl(pFrame, 5, 6, 70, 80, "", 140));
  WLRECT rect;
  ASSERT_TRUE(pEdit->GetRect(&rect));
  EXPECT_EQ(5, rect.x);
  EXPECT_EQ(6, rect.y);
  WLRECT moved = {30, 40, 100, 60};
  pEdit->GetRect(&rect, &moved);
  EXPECT_EQ(30, rect.x);
  EXPECT_EQ(60, rect.cy);
  POINT where = {1, 2};
  pEdit->Position(&where, &where);
  EXPECT_EQ(2, where.y);
  SIZE size;
  pEdit->Size(&size);
  EXPECT_EQ(100, size.cx);
  EXPECT_FALSE(pEdit->Enable(0));
  EXPECT_FALSE(pEdit->Enable());
  EXPECT_TRUE(pEdit->Enable(1));
  EXPECT_EQ(WS_EX_CLIENTEDGE, GetWindowLongA(pEdit->hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  pEdit->ModifyStyle(GWL_STYLE, WS_DISABLED, WS_TABSTOP);
  EXPECT_EQ(0, GetWindowLongA(pEdit->hWnd, GWL_STYLE) & WS_TABSTOP);

  pFrame->SetInt(-1234);
  EXPECT_EQ(-1234, pFrame->GetInt());
  pFrame->SetInt(7, "%03d件");
  EXPECT_STREQ("007件", pFrame->GetText());
  std::string sLong(700, 'x');
  SetWindowTextA(pFrame->hWnd, sLong.c_str());
  EXPECT_EQ(700, pFrame->GetText().GetLength());

  auto* pTip = new CWLToolTip;
  ASSERT_TRUE(pTip->CreateCtrl(pFrame, 0, 0, 0, 0, "", 0));
  EXPECT_EQ(pFrame->hWnd, GetParent(pTip->hWnd));
  DWORD dwStyle = static_cast<DWORD>(GetWindowLongA(pTip->hWnd, GWL_STYLE));
  EXPECT_EQ(static_cast<DWORD>(WS_POPUP), dwStyle & (WS_POPUP | WS_CHILD));
  EXPECT_EQ(static_cast<DWORD>(TTS_ALWAYSTIP | TTS_NOPREFIX), dwStyle & 0x3);
  ASSERT_TRUE(pTip->AddTool(pEdit->hWnd, "一覧の説明"));
  char szTip[64] = "";
  TOOLINFOA info = Tool(pFrame->hWnd, reinterpret_cast<UINT_PTR>(pEdit->hWnd), szTip);
  SendMessageA(pTip->hWnd, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ("一覧の説明", szTip);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
