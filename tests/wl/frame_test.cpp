// The frame: reflection, its class name, command help and tooltip texts, command states of menus and controls.
#include <algorithm>

#include "gui_test_support.h"
#include "wl/attach_ctrl.h"
#include "wl/cmd_state.h"
#include "wl/menu.h"
#include "wl/owner_draw_list_box.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl_test_ids.h"

namespace {
class CStatusFrame : public CRecordingFrame {
 public:
  void UpdateStatusBar(CWLStatusBar* pBar) override { pStatusSeen = pBar; }
  CWLStatusBar* pStatusSeen = nullptr;
};

HWND Button(HWND hParent, DWORD dwStyle, UINT nId) {
  auto* pButton = new CWLAttachCtrl;
  pButton->Attach(CreateWindowExA(0, "BUTTON", "", WS_CHILD | dwStyle, 0, 0, 60, 20, hParent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)), nullptr, nullptr));
  return pButton->hWnd;
}
}  // namespace

TEST_F(WindowTest, ReflectedDrawItemEndsTheFramesHandlingOnlyWhenTheListDrew) {
  auto* pFrame = NewFrame<CRecordingFrame>();
  auto* pList = new CWLOwnerDrawListBox;
  ASSERT_TRUE(pList->CreateCtrl(pFrame, 0, 0, 200, 100, "", 133));
  pList->AddItem("", reinterpret_cast<LPARAM>(new CCountedItem("描画")));
  HDC hdc = GetDC(pList->hWnd);
  DRAWITEMSTRUCT draw = {ODT_LISTBOX, 133, 0, ODA_DRAWENTIRE, 0, pList->hWnd, hdc, {0, 0, 200, 20},
                         static_cast<ULONG_PTR>(pList->GetItemData(0))};
  pFrame->aDefaultMessages.clear();
  EXPECT_EQ(1, SendMessageA(pFrame->hWnd, WM_DRAWITEM, 133, reinterpret_cast<LPARAM>(&draw)));
  EXPECT_TRUE(pFrame->aDefaultMessages.empty());
  draw.itemData = 0;  // nothing to draw: the list answers 0 and the frame goes on
  SendMessageA(pFrame->hWnd, WM_DRAWITEM, 133, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(std::vector<UINT>{WM_DRAWITEM}, pFrame->aDefaultMessages);
  ReleaseDC(pList->hWnd, hdc);
}

TEST_F(WindowTest, ClassNamesCarryTheSequenceAndHelpSplitsAtTheLastBreak) {
  CWLFrameWindow first, second;
  first.bAutoDelete = second.bAutoDelete = FALSE;
  int nTick = 0, nSeq1 = 0, nSeq2 = 0;
  ASSERT_EQ(2, sscanf(first.sClassName, "WLFRAME_%8d_%4d", &nTick, &nSeq1));
  ASSERT_EQ(2, sscanf(second.sClassName, "WLFRAME_%8d_%4d", &nTick, &nSeq2));
  EXPECT_EQ((nSeq1 + 1) % 1000, nSeq2);
  EXPECT_EQ(21, first.sClassName.GetLength());

  auto* pFrame = NewFrame<CRecordingFrame>();
  std::vector<std::string> tips;
  for (UINT nId : {32775, IDS_LEADING_BREAK, IDS_NO_BREAK}) {
    NMTTDISPINFOA info = {};
    info.hdr = {nullptr, nId, TTN_GETDISPINFOA};
    SendMessageA(pFrame->hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    tips.push_back(info.lpszText);
  }
  EXPECT_EQ((std::vector<std::string>{"時刻補正をテスト実行します\n（実際の時刻の補正自体は行なわれません）",
                                      "\n先頭の改行", "改行のない説明"}),
            tips);
  SendMessageA(pFrame->hWnd, WM_MENUSELECT, MAKEWPARAM(32776, MF_STRING), 0);
  EXPECT_EQ((std::vector<UINT>{32775, IDS_LEADING_BREAK, IDS_NO_BREAK, 32776}), pFrame->aHelp);
  EXPECT_STREQ("時刻補", app.LoadResString(32775, 6));
}

TEST_F(WindowTest, MenuCommandStatesSkipSeparatorsAndSubmenusAndMinusOneOnlyAsks) {
  auto* pFrame = NewFrame<CRecordingFrame>();
  HMENU hSub = CreatePopupMenu(), hPopup = CreatePopupMenu();
  for (UINT i = 0; i < 9; ++i) AppendMenuA(hSub, MF_STRING, 500 + i, "sub");
  AppendMenuA(hPopup, MF_STRING, 401, "first");
  AppendMenuA(hPopup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), "submenu");
  AppendMenuA(hPopup, MF_STRING | MF_GRAYED, 402, "grayed");
  std::vector<int> seen;  // identifier, position, answers...
  pFrame->onCmdState = [&](CWLCmdState* pState) {
    seen.insert(seen.end(), {static_cast<int>(pState->nCmdId), static_cast<CWLMenuCmdState*>(pState)->nMenuPos});
    if (pState->nCmdId == 401) {
      seen.insert(seen.end(), {pState->Check(-1), pState->Check(1), pState->Enable(0)});
    } else {
      seen.insert(seen.end(), {pState->Enable(-1), pState->Enable(1)});
    }
  };
  SendMessageA(pFrame->hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
  EXPECT_EQ((std::vector<int>{401, 0, 0, 1, 0, 402, 3, 0, 1}), seen);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED | MF_GRAYED), GetMenuState(hPopup, 0, MF_BYPOSITION) & (MF_CHECKED | MF_GRAYED));
  EXPECT_EQ(0u, GetMenuState(hPopup, 3, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
  EXPECT_EQ(3, CWLMenu(hPopup).FindItem(402));
  DestroyMenu(hPopup);
}

TEST_F(WindowTest, ControlsFollowTheCommandStatesAfterOneIdlePhase) {
  auto* pFrame = new CStatusFrame;
  app.makeMain = [&] { return pFrame; };
  ASSERT_TRUE(app.InitInstance());
  aFrames.push_back(pFrame->hWnd);
  auto* pToolBar = new CWLToolBarEx(TBSTYLE_FLAT);
  ASSERT_TRUE(pToolBar->CreateCtrl(pFrame, 0, 0, 400, 30, "", 130));
  ASSERT_TRUE(pToolBar->LoadToolBar(IDR_TOOLBAR, FALSE));
  HWND hPush = Button(pFrame->hWnd, BS_PUSHBUTTON, 601), hCheck = Button(pFrame->hWnd, BS_AUTOCHECKBOX, 602);
  auto* pStatus = new CWLStatusBarEx;
  ASSERT_TRUE(pStatus->CreateCtrl(pFrame, 0, 0, 0, 0, "", 131));
  std::vector<UINT> ids;
  std::vector<int> answers;
  pFrame->onCmdState = [&](CWLCmdState* pState) {
    ids.push_back(pState->nCmdId);
    if (pState->nCmdId == 32775) pState->Enable(0);
    if (pState->nCmdId == 32776) pState->Check(1);
    if (pState->nCmdId == 32783) answers.push_back(pState->Enable(-1));
    if (pState->nCmdId > 600 && pState->nCmdId < 603) answers.push_back(pState->Check(1));
  };
  app.nQuitAfterIdle = 1;
  app.Run();
  // Two updates: the one posted at creation, then the idle phase's.
  EXPECT_EQ(1, app.nIdlePhases);
  EXPECT_EQ(2u * (12 + 2), ids.size());
  EXPECT_EQ(0, std::count(ids.begin(), ids.end(), 0u));  // no separator
  EXPECT_FALSE(SendMessageA(pToolBar->hWnd, TB_ISBUTTONENABLED, 32775, 0));
  EXPECT_TRUE(SendMessageA(pToolBar->hWnd, TB_ISBUTTONCHECKED, 32776, 0));
  EXPECT_EQ(std::vector<int>(6, 1), answers);  // 32783 enabled; pushed in; checked
  EXPECT_NE(0, SendMessageA(hPush, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_EQ(BST_CHECKED, SendMessageA(hCheck, BM_GETCHECK, 0, 0));
  EXPECT_EQ(pStatus, pFrame->pStatusSeen);
}
