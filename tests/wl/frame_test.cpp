// The frame: reflection of notifications, its class name, command help and
// tooltips, and the command states of menus, buttons and toolbar buttons.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui_test_support.h"
#include "wl/attach_ctrl.h"
#include "wl/cmd_state.h"
#include "wl/command_text.h"
#include "wl/menu.h"
#include "wl/owner_draw_list_box.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl_test_ids.h"

namespace {
class CReflectList : public CWLOwnerDrawListBox {
 public:
  LRESULT OnReflect(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    aReflected.push_back(uMsg);
    return CWLOwnerDrawListBox::OnReflect(uMsg, wParam, lParam);
  }
  std::vector<UINT> aReflected;
};

class CCmdFrame : public CRecordingFrame {
 public:
  void UpdateStatusBar(CWLStatusBar* pBar) override { pStatusSeen = pBar; }
  CWLStatusBar* pStatusSeen = nullptr;
};

struct Seen {
  UINT nId;
  int nPos;  // menu position, -1 for controls
};
}  // namespace

TEST(Frame, ReflectedDrawItemEndsTheFramesHandlingOnlyWhenTheListDrew) {
  CTestApp app;
  auto* pFrame = new CRecordingFrame;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  auto* pList = new CReflectList;
  ASSERT_TRUE(pList->CreateCtrl(pFrame, 0, 0, 200, 100, "", 133));
  pList->AddItem("", reinterpret_cast<LPARAM>(new CCountedItem("描画")));
  pList->AddItem("", 0);  // an item without object draws nothing

  HDC hdc = GetDC(pList->hWnd);
  DRAWITEMSTRUCT draw = {ODT_LISTBOX, 133, 0, ODA_DRAWENTIRE, 0, pList->hWnd, hdc, {0, 0, 200, 20},
                         static_cast<ULONG_PTR>(pList->GetItemData(0))};
  pFrame->aDefaultMessages.clear();
  EXPECT_EQ(1, SendMessageA(pFrame->hWnd, WM_DRAWITEM, 133, reinterpret_cast<LPARAM>(&draw)));
  EXPECT_EQ(std::vector<UINT>{WM_DRAWITEM}, pList->aReflected);
  EXPECT_TRUE(pFrame->aDefaultMessages.empty());

  draw.itemID = 1;
  draw.itemData = 0;
  SendMessageA(pFrame->hWnd, WM_DRAWITEM, 133, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(2u, pList->aReflected.size());
  EXPECT_EQ(std::vector<UINT>{WM_DRAWITEM}, pFrame->aDefaultMessages);  // went on
  ReleaseDC(pList->hWnd, hdc);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(Frame, ClassNamesCarryTheSequenceAndHelpSplitsAtTheLastBreak) {
  CTestApp app;
  CWLFrameWindow first, second;
  int nTick1 = 0, nSeq1 = 0, nTick2 = 0, nSeq2 = 0;
  ASSERT_EQ(2, sscanf(first.sClassName, "WLFRAME_%8d_%4d", &nTick1, &nSeq1));
  ASSERT_EQ(2, sscanf(second.sClassName, "WLFRAME_%8d_%4d", &nTick2, &nSeq2));
  EXPECT_EQ((nSeq1 + 1) % 1000, nSeq2);
  EXPECT_STRNE(first.sClassName, second.sClassName);
  EXPECT_EQ(21, first.sClassName.GetLength());
  first.bAutoDelete = second.bAutoDelete = FALSE;

  auto* pFrame = new CRecordingFrame;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  NMTTDISPINFOA info = {};
  info.hdr = {nullptr, 32775, TTN_GETDISPINFOA};
  SendMessageA(pFrame->hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ("時刻補正をテスト実行します\n（実際の時刻の補正自体は行なわれません）", info.lpszText);
  info.hdr.idFrom = IDS_LEADING_BREAK;
  SendMessageA(pFrame->hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ("\n先頭の改行", info.lpszText);
  SendMessageA(pFrame->hWnd, WM_MENUSELECT, MAKEWPARAM(32776, MF_STRING), 0);
  EXPECT_EQ((std::vector<UINT>{32775, IDS_LEADING_BREAK, 32776}), pFrame->aHelp);

  EXPECT_STREQ("", GetCommandCaption(app.LoadResString(IDS_NO_BREAK)));
  EXPECT_STREQ("改行のない説明", GetCommandHelpText(app.LoadResString(IDS_NO_BREAK)));
  EXPECT_STREQ("先頭の改行", GetCommandCaption(app.LoadResString(IDS_LEADING_BREAK)));
  EXPECT_STREQ("時刻補", app.LoadResString(32775, 6));  // at most 6 bytes
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(Frame, MenuCommandStatesSkipSeparatorsAndSubmenusAndMinusOneOnlyAsks) {
  CTestApp app;
  auto* pFrame = new CRecordingFrame;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  HMENU hSub = CreatePopupMenu();
  for (UINT i = 0; i < 9; ++i) AppendMenuA(hSub, MF_STRING, 500 + i, "sub");
  HMENU hPopup = CreatePopupMenu();
  AppendMenuA(hPopup, MF_STRING, 401, "first");
  AppendMenuA(hPopup, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(hPopup, MF_POPUP, reinterpret_cast<UINT_PTR>(hSub), "submenu");
  AppendMenuA(hPopup, MF_STRING | MF_GRAYED, 402, "grayed");

  std::vector<Seen> seen;
  std::vector<int> answers;
  pFrame->onCmdState = [&](CWLCmdState* pState) {
    seen.push_back({pState->nCmdId, static_cast<CWLMenuCmdState*>(pState)->nMenuPos});
    if (pState->nCmdId == 401) {
      answers.push_back(pState->Check(-1));  // 0, unchanged
      answers.push_back(pState->Check(1));
      answers.push_back(pState->Enable(0));
    } else {
      answers.push_back(pState->Enable(-1));  // grayed: 0
      answers.push_back(pState->Enable(1));
    }
  };
  SendMessageA(pFrame->hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), 0);
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(401u, seen[0].nId);
  EXPECT_EQ(0, seen[0].nPos);
  EXPECT_EQ(402u, seen[1].nId);
  EXPECT_EQ(3, seen[1].nPos);
  EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 1}), answers);
  EXPECT_NE(0u, GetMenuState(hPopup, 0, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_NE(0u, GetMenuState(hPopup, 0, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(0u, GetMenuState(hPopup, 3, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));

  CWLMenu menu(hPopup);
  EXPECT_EQ(3, menu.FindItem(402));
  EXPECT_EQ(-1, menu.FindItem(999));
  DestroyMenu(hPopup);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}

TEST(Frame, ControlsFollowTheCommandStatesAfterOneIdlePhase) {
  CTestApp app;
  auto* pFrame = new CCmdFrame;
  app.makeMain = [&] { return pFrame; };
  ASSERT_TRUE(app.InitInstance());
  auto* pToolBar = new CWLToolBarEx(TBSTYLE_FLAT);
  ASSERT_TRUE(pToolBar->CreateCtrl(pFrame, 0, 0, 400, 30, "", 130));
  ASSERT_TRUE(pToolBar->LoadToolBar(IDR_TOOLBAR, FALSE));
  auto* pPush = new CWLAttachCtrl;
  pPush->Attach(CreateWindowExA(0, "BUTTON", "押す", WS_CHILD | BS_PUSHBUTTON, 0, 40, 60, 20, pFrame->hWnd,
                                reinterpret_cast<HMENU>(601), app.hInstance, nullptr));
  auto* pCheck = new CWLAttachCtrl;
  pCheck->Attach(CreateWindowExA(0, "BUTTON", "印", WS_CHILD | BS_AUTOCHECKBOX, 70, 40, 60, 20, pFrame->hWnd,
                                 reinterpret_cast<HMENU>(602), app.hInstance, nullptr));
  auto* pStatus = new CWLStatusBarEx;
  ASSERT_TRUE(pStatus->CreateCtrl(pFrame, 0, 0, 0, 0, "", 131));

  std::vector<UINT> ids;
  std::vector<int> asked;
  pFrame->onCmdState = [&](CWLCmdState* pState) {
    ids.push_back(pState->nCmdId);
    if (pState->nCmdId == 32775) pState->Enable(0);
    if (pState->nCmdId == 32776) pState->Check(1);
    if (pState->nCmdId == 32783) asked.push_back(pState->Enable(-1));
    if (pState->nCmdId == 601 || pState->nCmdId == 602) asked.push_back(pState->Check(1));
  };
  app.nQuitAfterIdle = 1;
  app.Run();
  // The first update comes from the frame's own posted message, then one idle phase.
  EXPECT_EQ(1, app.nIdlePhases);
  EXPECT_FALSE(SendMessageA(pToolBar->hWnd, TB_ISBUTTONENABLED, 32775, 0));
  EXPECT_TRUE(SendMessageA(pToolBar->hWnd, TB_ISBUTTONCHECKED, 32776, 0));
  EXPECT_TRUE(SendMessageA(pToolBar->hWnd, TB_ISBUTTONENABLED, 32783, 0));
  EXPECT_EQ(0u, std::count(ids.begin(), ids.end(), 0u));  // no separator
  EXPECT_EQ(static_cast<size_t>(std::count(ids.begin(), ids.end(), 32784u)), ids.size() / 14);
  EXPECT_EQ(0u, ids.size() % 14);  // 12 toolbar buttons and 2 buttons per update
  EXPECT_EQ(6u, asked.size());  // 32783 is enabled, the buttons pushed in and checked
  EXPECT_EQ(0, std::count(asked.begin(), asked.end(), 0));
  EXPECT_NE(0, SendMessageA(pPush->hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_EQ(BST_CHECKED, SendMessageA(pCheck->hWnd, BM_GETCHECK, 0, 0));
  EXPECT_EQ(pStatus, pFrame->pStatusSeen);
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
