#pragma once
// A frame put together like Vantro's main window: toolbar, a child panel
// with the server list, the run log and a status bar of three parts, both
// lists filled. Used for the lifetime cycles and the screenshots.
#include "client/ntp_log_list_box.h"
#include "client/ntp_svr_list_box.h"
#include "wl/dialog.h"
#include "wl/frame_window.h"
#include "wl/status_bar.h"
#include "wl/tool_bar.h"

class CDemoPanel : public CWLDialog {
 public:
  CDemoPanel();
  CWLGUICtrl* CreateChildObject(HWND hChild, UINT nId) override;
  CNTPSvrListBox* pServers = nullptr;
};

class CDemoFrame : public CWLFrameWindow {
 public:
  explicit CDemoFrame(const char* pszDataFolder) : sDataFolder(pszDataFolder) {}
  BOOL OnCreate(CREATESTRUCTA* pCreate) override;
  BOOL OnSize(int cx, int cy, UINT nType) override;
  void ShowCommandHelp(UINT nId) override;

  CCharString sDataFolder;
  CWLToolBarEx* pToolBar = nullptr;
  CWLStatusBarEx* pStatusBar = nullptr;
  CDemoPanel* pPanel = nullptr;
  CNTPLogListBox* pLog = nullptr;
};
