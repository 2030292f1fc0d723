// The settings panel in a main window: its values raised to their minimums
// when a run or a save reads them, a new settings file, the first start
// that turns into automatic starts, and a double click that edits.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "panel_fixture.h"

TEST_F(PanelTest, TypedValuesAreRaisedToTheirMinimumsWhenRead) {
  MakePanel();
  EXPECT_EQ("5", Shown(IDC_CHECK_SPAN));  // a new installation, until read
  SetDlgItemTextA(pPanel->hWnd, IDC_CHECK_SPAN, "0");
  EXPECT_FALSE(scheduler->RunCorrection(1));  // no list: nothing is tried
  EXPECT_EQ("15", Shown(IDC_CHECK_SPAN));
  EXPECT_EQ(15, pPanel->nCheckSpan);

  struct Case {
    int nProtocol;
    BOOL bProxy;
    const char* pszTyped[3];  // interval, timeout, allowance
    const char* pszRead[3];
  } cases[] = {
      {CClientSettings::protocolNtp, 1, {"", "99", "5"}, {"15", "100", "200"}},
      {CClientSettings::protocolNtp, 0, {"40000", "600", "99999999999"}, {"40000", "600", "2147483647"}},
      {CClientSettings::protocolHttp, 0, {"15", "600", "200"}, {"15", "800", "1200"}},
      {CClientSettings::protocolHttp, 1, {"15", "600", "1300"}, {"15", "1600", "1300"}},
  };
  const int kEdits[] = {IDC_CHECK_SPAN, IDC_TIMEOUT, IDC_ALLOWANCE};
  for (const Case& c : cases) {
    pPanel->sProtocol = c.nProtocol;
    pPanel->bUseHttpProxy = c.bProxy;
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(pPanel->hWnd, kEdits[i], c.pszTyped[i]);
    pPanel->ReadPanel();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.pszRead[i], Shown(kEdits[i])) << c.pszTyped[i];
  }
  EXPECT_EQ(1600, pPanel->nTimeout);

  pPanel->SaveConfig();
  EXPECT_NE(std::string::npos, FileText("ntp_config.txt").find("\r\nnCheckSpan,15\r\n"));
}

TEST_F(PanelTest, AFirstStartBecomesAnAutomaticStartAtTheNextSave) {
  MakePanel();
  scheduler->StartUp();
  ASSERT_EQ(std::vector<UINT>{ID_AUTO_DIAGNOSIS}, window.aPosted);
  scheduler->OnCommand(ID_AUTO_DIAGNOSIS);
  EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(pPanel->hWnd, IDC_AUTO_EXEC));
  EXPECT_NE(std::string::npos, FileText("ntp_config.txt").find("\r\nbFirstExec,0\r\n"));
  pPanel->SaveConfig();  // as when the window closes
  EXPECT_NE(std::string::npos, FileText("ntp_config.txt").find("\r\nbAutoExec,1\r\n"));
}

TEST_F(PanelTest, ListFromTheFilesAndADoubleClickEditsTheEntry) {
  folder.Put("ntp_server.txt", "one,127.0.0.11\r\ntwo,127.0.0.12\r\n");
  folder.Put("ntp_config.txt", "\r\n[ NTP CLIENT SETTING ]\r\nnSelectServerNo,1\r\nbRotateServer,0\r\n");
  MakePanel();
  EXPECT_EQ(1, pPanel->GetServerList()->GetSelection());
  EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(pPanel->hWnd, IDC_ROTATE_SERVER));
  HWND hList = GetDlgItem(pPanel->hWnd, IDC_SERVER_LIST);
  RECT rc;
  SendMessageA(hList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
  std::string shown;
  auto look = [&](CDialogDriver& d) {
    if (HWND h = d.Wait("接続先サーバの登録")) shown = d.ItemText(h, IDC_SERVER_NAME) + " " + d.ItemText(h, IDC_SERVER_HOST);
  };
  Drive(look, [&] {
    PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 20, rc.top + 2));
    PumpPending();  // the dialog's loop runs inside, until the driver cancels it
    return 0;
  });
  EXPECT_EQ("two 127.0.0.12", shown);
}
