#pragma once
// A main window as Vantro's for the panel and dialog tests: titled like it,
// the settings panel inside, a run log and a scheduler over them, and the
// data folder (also the program folder) of the test's own.
#include <commctrl.h>

#include "client/client_correction_host.h"
#include "client/ntp_config_bar.h"
#include "client/res/resource_ids.h"
#include "scheduler_doubles.h"
#include "temp_folder.h"
#include "wl/gui_test_support.h"

constexpr char kMainTitle[] = "ミルタ　～インターネット時刻補正～ v1.08版";

class PanelTest : public WindowTest {
 protected:
  void SetUp() override {
    InitCommonControls();
    pFrame = NewFrame<>();
    SetWindowTextA(pFrame->hWnd, kMainTitle);
    // Hidden: every top-level window shown costs seconds under Xvfb.
    SetWindowPos(pFrame->hWnd, nullptr, 20, 20, 600, 300, SWP_NOZORDER);
  }
  // The panel as the main window makes it: it loads the folder's files.
  void MakePanel() {
    pPanel = new CNTPConfigBar(folder.Path().c_str(), folder.Path().c_str());
    ASSERT_TRUE(pPanel->CreateChild(pFrame, 0, 0, -1, -1, IDD_CONFIG_BAR));
    host.reset(new CClientCorrectionHost(&log, pPanel));
    correction.reset(new CTimeCorrection(host.get()));
    pPanel->pCorrection = correction.get();
    scheduler.reset(new CCorrectionScheduler(pPanel, correction.get(), &log, &window));
  }
  // The text of one of the panel's controls.
  std::string Shown(int nId) {
    char szText[256] = "";
    GetDlgItemTextA(pPanel->hWnd, nId, szText, sizeof(szText));
    return szText;
  }
  std::string FileText(const char* pszName) {
    std::string sPath = folder.Path() + pszName, sText(4096, '\0');
    HANDLE h = CreateFileA(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD n = 0;
    ReadFile(h, &sText[0], static_cast<DWORD>(sText.size()), &n, nullptr);
    CloseHandle(h);
    sText.resize(n);
    return sText;
  }

  CTempFolder folder;
  CWLFrameWindow* pFrame = nullptr;
  CNTPConfigBar* pPanel = nullptr;  // goes with its window
  CRecordingView view;
  CActionLog log{&view, folder.Path().c_str()};
  std::unique_ptr<CClientCorrectionHost> host;
  std::unique_ptr<CTimeCorrection> correction;
  CRecordingWindow window;
  std::unique_ptr<CCorrectionScheduler> scheduler;
};
