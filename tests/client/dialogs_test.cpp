// The server, proxy and about dialogs, driven as a user would: typed
// entries, clicked buttons, the message boxes of the main window. And the
// panel and each dialog held open for screenshots.py to photograph.
#include <gtest/gtest.h>

#include <fstream>

#include "client/about_dialog.h"
#include "dialog_driver.h"
#include "ntp_responder.h"
#include "panel_fixture.h"
#include "support/clock_installer.h"
#include "support/skewed_clock.h"

namespace {
const char kServerDialog[] = "接続先サーバの登録";
const char kProxyDialog[] = "HTTPプロキシサーバーの登録";
const char kAboutDialog[] = "アプリケーション情報";

// Clicks OK and answers the message box that follows; its texts, and the
// ms it took to come ("" when none came).
std::string OkAndMessage(CDialogDriver& d, HWND hDialog, DWORD* pMs = nullptr) {
  DWORD dwStart = GetWin32Clock()->GetTickCount();
  d.Click(hDialog, IDOK);
  HWND hBox = d.Wait(kMainTitle);
  if (hBox == nullptr) return "";
  if (pMs != nullptr) *pMs = GetWin32Clock()->GetTickCount() - dwStart;
  std::string texts = d.Texts(hBox);
  d.Click(hBox, IDOK);
  d.WaitGone(hBox);
  return texts;
}
}  // namespace

TEST_F(PanelTest, AServerIsRegisteredOnlyOnceItAnswers) {
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  CNtpResponder server({CNtpResponder::kSilent, 0});
  ASSERT_TRUE(server.bBound);
  MakePanel();
  std::string blank, silent;
  DWORD dwSilentMs = 0;
  bool bStayed = false, bClosed = false;
  auto user = [&](CDialogDriver& d) {
    HWND h = d.Wait(kServerDialog);
    if (h == nullptr) return;
    d.Type(h, IDC_SERVER_NAME, "社内 NTP");
    d.Type(h, IDC_SERVER_HOST, " \t ");
    blank = OkAndMessage(d, h);
    d.Type(h, IDC_SERVER_HOST, "  127.0.0.1 ");
    silent = OkAndMessage(d, h, &dwSilentMs);
    bStayed = IsWindowVisible(h);
    d.Click(h, IDOK);
    bClosed = d.WaitGone(h);
  };
  EXPECT_TRUE(Drive(user, [&] { return pPanel->AddServer(); }));
  EXPECT_EQ("登録名または接続先が正しく入力されておりません|", blank);
  EXPECT_EQ("有効なNTPサーバーではありません|", silent);
  EXPECT_GE(dwSilentMs, 2900u);
  EXPECT_LT(dwSilentMs, 6000u);
  EXPECT_TRUE(bStayed);
  EXPECT_TRUE(bClosed);
  EXPECT_EQ("0@127.0.0.1 1@127.0.0.1", view.Runs());  // the timed-out test, the answered one
  EXPECT_NE(std::string::npos, std::string(view.aItems[0]->sText).find("返答待機タイムアウト["));
  NTP_SERVER_INFO* pEntry = pPanel->GetServerList()->GetAt(0);
  ASSERT_NE(nullptr, pEntry);
  EXPECT_EQ(std::string("社内 NTP (127.0.0.1)"), static_cast<const char*>(pEntry->GetText()));
  EXPECT_EQ(-1, pPanel->GetServerList()->GetSelection());
  EXPECT_EQ(0, clock.GetSetCount());

  // A new HTTP entry starts with the scheme; Cancel registers nothing.
  pPanel->sProtocol = CClientSettings::protocolHttp;
  std::string preset;
  auto look = [&](CDialogDriver& d) {
    if (HWND h = d.Wait(kServerDialog)) preset = d.ItemText(h, IDC_SERVER_HOST);
  };
  EXPECT_FALSE(Drive(look, [&] { return pPanel->AddServer(); }));
  EXPECT_EQ("http://", preset);
  EXPECT_EQ(1, pPanel->GetServerList()->GetCount());
}

TEST_F(PanelTest, TheProxyIsStoredCleanAndAnEmptyOneSwitchesProxyUseOff) {
  MakePanel();
  pPanel->bUseHttpProxy = 1;
  std::string prompt;
  auto typed = [&](CDialogDriver& d) {
    HWND h = d.Wait(kProxyDialog);
    if (h == nullptr) return;
    prompt = d.ItemText(h, IDC_INPUT_PROMPT);
    d.Type(h, IDC_INPUT_TEXT, "  proxy.example:8080 ");
    d.Click(h, IDOK);
    d.WaitGone(h);
  };
  EXPECT_TRUE(Drive(typed, [&] { return pPanel->EditProxy(); }));
  EXPECT_EQ("proxy.example:8080", std::string(pPanel->sHttpProxy));
  EXPECT_EQ(1, pPanel->bUseHttpProxy);
  EXPECT_EQ(
      "HTTP通信時利用するプロキシサーバサーバーを\r\n「ホスト名 or IP：ポート番号」の形式で入力してください\r\n"
      "※例：192.168.0.1:8080",
      prompt);

  auto emptied = [&](CDialogDriver& d) {
    HWND h = d.Wait(kProxyDialog);
    if (h == nullptr) return;
    d.Type(h, IDC_INPUT_TEXT, "");
    d.Click(h, IDOK);
    d.WaitGone(h);
  };
  EXPECT_FALSE(Drive(emptied, [&] { return pPanel->EditProxy(); }));
  EXPECT_EQ("", std::string(pPanel->sHttpProxy));
  EXPECT_EQ(0, pPanel->bUseHttpProxy);
}

TEST_F(PanelTest, AboutShowsTheProgramIconNameAndVersion) {
  std::string texts;
  HICON hIcon = nullptr;
  auto look = [&](CDialogDriver& d) {
    HWND h = d.Wait(kAboutDialog);
    if (h == nullptr) return;
    texts = d.Texts(h);
    for (HWND c = GetWindow(h, GW_CHILD); c != nullptr && hIcon == nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
      hIcon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
    }
    d.Click(h, IDOK);
    d.WaitGone(h);
  };
  EXPECT_EQ(IDOK, Drive(look, [&] { return (new CAboutDlg)->DoModal(pFrame); }));
  EXPECT_EQ("ミルタ　～インターネット時刻補正～|Version 1.08|", texts);
  EXPECT_NE(nullptr, hIcon);
}

// Each window shown is held until screenshots.py has photographed it: its
// rectangle goes into HOLD-name.ready, the photograph's end is HOLD-name.done.
TEST_F(PanelTest, Screenshots) {
  const char* pszHold = getenv("VANTRO_SHOT_HOLD");
  if (pszHold == nullptr) GTEST_SKIP() << "screenshots.py runs this";
  folder.Put("ntp_server.txt", "情報通信研究機構,ntp.nict.jp\r\n社内NTPサーバ,192.168.0.10\r\n"
                               "インターネットマルチフィード,ntp1.jst.mfeed.ad.jp\r\n");
  folder.Put("ntp_config.txt", "\r\n[ NTP CLIENT SETTING ]\r\nnSelectServerNo,1\r\nbAutoExec,1\r\n");
  MakePanel();
  // The dialogs are held from the driver's thread while the test's thread
  // runs their loop; the panel is held on the test's thread, which pumps.
  auto hold = [&](const char* pszName, HWND hWindow, bool bPump = false) {
    std::string sName = std::string(pszHold) + "-" + pszName;
    RECT rc;
    GetWindowRect(hWindow, &rc);
    std::ofstream(sName + ".ready") << rc.left << " " << rc.top << " " << rc.right - rc.left << " "
                                    << rc.bottom - rc.top << "\n";
    for (int i = 0; i < 600 && GetFileAttributesA((sName + ".done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
      if (bPump) {
        RunFor(app, 100);
      } else {
        GetWin32Clock()->Sleep(100);
      }
    }
  };
  pPanel->ReadPanel();
  SetWindowPos(pFrame->hWnd, nullptr, 0, 0, 600, 260, SWP_NOZORDER | SWP_NOMOVE | SWP_SHOWWINDOW);
  hold("panel", pFrame->hWnd, true);

  pPanel->sProtocol = CClientSettings::protocolHttp;
  auto server = [&](CDialogDriver& d) {
    HWND h = d.Wait(kServerDialog);
    if (h == nullptr) return;
    d.Type(h, IDC_SERVER_NAME, "社内ウェブサーバ");
    GetWin32Clock()->Sleep(300);
    hold("server", h);
    d.Type(h, IDC_SERVER_HOST, "");
    d.Click(h, IDOK);
    if (HWND hBox = d.Wait(kMainTitle)) hold("message", hBox);
  };
  Drive(server, [&] { return pPanel->AddServer(); });
  auto proxy = [&](CDialogDriver& d) {
    HWND h = d.Wait(kProxyDialog);
    if (h == nullptr) return;
    d.Type(h, IDC_INPUT_TEXT, "192.168.0.1:8080");
    GetWin32Clock()->Sleep(300);
    hold("input", h);
  };
  Drive(proxy, [&] { return pPanel->EditProxy(); });
  Drive([&](CDialogDriver& d) { if (HWND h = d.Wait(kAboutDialog)) hold("about", h); },
        [&] { return (new CAboutDlg)->DoModal(pFrame); });
}
