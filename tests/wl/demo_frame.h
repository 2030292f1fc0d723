#pragma once
// A frame like Vantro's main window (toolbar, panel, both lists filled, status bar of three parts), to cycle and show.
#include "client/ntp_log_list_box.h"
#include "client/ntp_svr_list_box.h"
#include "client/res/image_ids.h"
#include "wl/app.h"
#include "wl/command_text.h"
#include "wl/dialog.h"
#include "wl/frame_window.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"
#include "wl_test_ids.h"

class CDemoPanel : public CWLDialog {
 public:
  CDemoPanel() : CWLDialog(IDD_PANEL) {}
  CWLGUICtrl* CreateChildObject(HWND, UINT nId) override {
    return nId == IDC_LIST ? pServers = new CNTPSvrListBox : nullptr;
  }
  CNTPSvrListBox* pServers = nullptr;
};

class CDemoFrame : public CWLFrameWindow {
 public:
  explicit CDemoFrame(const char* pszDataFolder) : sDataFolder(pszDataFolder) {}

  BOOL OnCreate(CREATESTRUCTA*) override {
    SetWindowTextA(hWnd, "ミルタ　～インターネット時刻補正～ v1.08版");
    pPanel = new CDemoPanel;
    if (!pPanel->CreateChild(this, 0, 0, -1, -1, 134)) return FALSE;
    ShowWindow(pPanel->hWnd, SW_SHOW);
    pToolBar = new CWLToolBarEx(TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP);
    if (!pToolBar->CreateCtrl(this, 0, 0, 0, 0, "", 130) || !pToolBar->LoadToolBar(IDB_TOOLBAR, TRUE)) return FALSE;
    pStatusBar = new CWLStatusBarEx;
    if (!pStatusBar->CreateCtrl(this, 0, 0, 0, 0, "", 131)) return FALSE;
    pLog = new CNTPLogListBox(sDataFolder);
    if (!pLog->CreateCtrl(this, 0, 0, 0, 0, "loglist", 133)) return FALSE;
    pLog->SetImageList(IDB_RUN_RESULT, 16, RGB(255, 0, 255));
    static const char* const kServers[][2] = {{"情報通信研究機構", "ntp.nict.jp"},
                                              {"社内NTPサーバ", "127.0.0.2"},
                                              {"インターネットマルチフィード", "ntp1.jst.mfeed.ad.jp"}};
    for (const auto& server : kServers) pPanel->pServers->AddItem(new NTP_SERVER_INFO("ntp", server[0], server[1]));
    pPanel->pServers->SetSelection(1);
    pLog->AddLog(" 2024/05/01 09:00:00.125 ： 確認　( ntp.nict.jp ) 誤差無し", 1);
    pLog->AddLog(" 2024/05/01 09:15:00.031 ： 補正　( 127.0.0.2 ) 1.532秒 進み", 2);
    pLog->AddLog(" 2024/05/01 09:30:03.004 ： 失敗　( ntp1.jst.mfeed.ad.jp ) 応答がありません", 0);
    pLog->AddLog(" 2024/05/01 09:45:00.250 ： 確認　( ntp.nict.jp ) 0.012秒 遅れ", 1);
    pLog->SetCurSel(3);
    SetWindowPos(hWnd, nullptr, 0, 0, 600, 420, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  }

  BOOL OnSize(int cx, int cy, UINT nType) override {
    if (pPanel == nullptr || pToolBar == nullptr || pStatusBar == nullptr || pLog == nullptr) return FALSE;
    SendMessageA(pToolBar->hWnd, WM_SIZE, nType, MAKELPARAM(cx, cy));
    SendMessageA(pStatusBar->hWnd, WM_SIZE, nType, MAKELPARAM(cx, cy));
    const int kParts[] = {-1, 120, 150};
    pStatusBar->SetParts(3, kParts);
    SIZE toolBar, statusBar, panel;
    pToolBar->Size(&toolBar);
    pStatusBar->Size(&statusBar);
    pPanel->Size(&panel);
    pPanel->SetRect({0, toolBar.cy, cx, panel.cy}, kMove | kSize);
    pLog->SetRect({0, toolBar.cy + panel.cy, cx, cy - statusBar.cy - toolBar.cy - panel.cy}, kMove | kSize);
    pStatusBar->SetText(1, "OK:3件 NG:1件");
    pStatusBar->SetText(2, "次回補正まで　14分59秒");
    return TRUE;
  }

  void ShowCommandHelp(UINT nId) override {
    if (pStatusBar != nullptr) pStatusBar->SetText(0, GetCommandHelpText(pApp->LoadResString(nId)));
  }

  CCharString sDataFolder;
  CWLToolBarEx* pToolBar = nullptr;
  CWLStatusBarEx* pStatusBar = nullptr;
  CDemoPanel* pPanel = nullptr;
  CNTPLogListBox* pLog = nullptr;
};
