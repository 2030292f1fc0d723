// The settings panel in a window titled like Vantro's, its dialogs driven as a user would (screenshots.py photographs).
#include "client/about_dialog.h"
#include "client/client_correction_host.h"
#include "client/ntp_config_bar.h"
#include "client/res/resource_ids.h"
#include "client_app_support.h"
#include "temp_folder.h"

namespace {
const char kMainTitle[] = "ミルタ　～インターネット時刻補正～ v1.08版";
const char kServerDialog[] = "接続先サーバの登録";
const char kProxyDialog[] = "HTTPプロキシサーバーの登録";

class PanelTest : public WindowTest {
 protected:
  void SetUp() override {
    InitCommonControls();
    pFrame = NewFrame<>();  // hidden: every window shown costs seconds under Xvfb
    SetWindowTextA(pFrame->hWnd, kMainTitle);
    SetWindowPos(pFrame->hWnd, nullptr, 20, 20, 600, 250, SWP_NOZORDER);
    pPanel = new CNTPConfigBar(folder.Path().c_str(), folder.Path().c_str());
    ASSERT_TRUE(pPanel->CreateChild(pFrame, 0, 0, -1, -1, IDD_CONFIG_BAR));
    pPanel->pCorrection = &correction;
  }
  std::string Shown(int nId) { return CUser::Text(pPanel->hWnd, nId); }

  CTempFolder folder;
  CWLFrameWindow* pFrame = nullptr;
  CNTPConfigBar* pPanel = nullptr;  // goes with its window
  CRecordingView view;
  CActionLog log{&view, folder.Path().c_str()};
  CClientSettings settings;
  CClientCorrectionHost host{&log, &settings};
  CTimeCorrection correction{&host};
};
}  // namespace

TEST_F(PanelTest, ValuesAreRaisedToTheirMinimumsWhenRead) {
  const int kEdits[] = {IDC_CHECK_SPAN, IDC_TIMEOUT, IDC_ALLOWANCE};
  struct Case {
    int nProtocol;
    BOOL bProxy;
    const char* pszTyped[3];  // interval, timeout, allowance
    const char* pszRead;
  } cases[] = {
      {CClientSettings::protocolNtp, 1, {"", "99", "5"}, "15 100 200"},
      {CClientSettings::protocolNtp, 0, {"40000", "600", "99999999999"}, "40000 600 2147483647"},
      {CClientSettings::protocolHttp, 0, {"15", "600", "200"}, "15 800 1200"},
      {CClientSettings::protocolHttp, 1, {"5", "600", "1300"}, "15 1600 1300"},
  };
  for (const Case& c : cases) {
    pPanel->sProtocol = c.nProtocol;
    pPanel->bUseHttpProxy = c.bProxy;
    for (int i = 0; i < 3; ++i) SetDlgItemTextA(pPanel->hWnd, kEdits[i], c.pszTyped[i]);
    pPanel->ReadPanel();
    EXPECT_EQ(c.pszRead, Shown(kEdits[0]) + " " + Shown(kEdits[1]) + " " + Shown(kEdits[2])) << c.pszTyped[0];
  }
}

TEST_F(PanelTest, AServerIsRegisteredOnlyOnceItAnswers) {
  folder.Put("ntp_server.txt", "情報通信研究機構,127.0.0.11\r\n社内NTPサーバ,127.0.0.12\r\n");
  folder.Put("ntp_config.txt", "\r\n[ NTP CLIENT SETTING ]\r\nnSelectServerNo,1\r\nbAutoExec,1\r\n");
  pPanel->LoadConfig();
  pPanel->WritePanel();
  HoldForPhoto(pFrame->hWnd, [&] { RunFor(app, 100); });
  CSkewedClock clock(0);
  CClockInstaller installer(&clock);
  CNtpResponder server({CNtpResponder::kSilent, 0});
  std::string blank, silent;
  DWORD dwSilentMs = 0;
  EXPECT_TRUE(Drive([&](CUser& u) {
    HWND h = u.Wait(kServerDialog);
    u.Type(h, IDC_SERVER_NAME, "社内 NTP");
    u.Type(h, IDC_SERVER_HOST, " \t ");
    blank = u.OkAndMessage(h, kMainTitle);
    u.Type(h, IDC_SERVER_HOST, "  127.0.0.1 ");
    DWORD dwStart = GetWin32Clock()->GetTickCount();
    silent = u.OkAndMessage(h, kMainTitle);
    dwSilentMs = RealMsSince(dwStart);
    u.Click(h, IDOK);
    u.WaitGone(h);
  }, [&] { return pPanel->AddServer(); }));
  EXPECT_EQ("登録名または接続先が正しく入力されておりません", blank);
  EXPECT_EQ("有効なNTPサーバーではありません", silent);
  EXPECT_TRUE(dwSilentMs >= 2900 && dwSilentMs < 6000) << dwSilentMs;
  EXPECT_EQ("0@127.0.0.1 1@127.0.0.1", view.Runs());  // timed out, then answered
  EXPECT_EQ("社内 NTP (127.0.0.1)", std::string(pPanel->GetServerList()->GetAt(2)->GetText()));
  EXPECT_EQ(1, pPanel->GetServerList()->GetSelection());
  EXPECT_EQ(0, clock.GetSetCount());
}

TEST_F(PanelTest, TheProxyIsStoredCleanAndAnEmptyOneSwitchesProxyUseOff) {
  pPanel->bUseHttpProxy = 1;
  std::string prompt;
  auto type = [&](const char* pszText) {
    return [&prompt, pszText](CUser& u) {
      HWND h = u.Wait(kProxyDialog);
      prompt = u.Text(h, IDC_INPUT_PROMPT);
      u.Type(h, IDC_INPUT_TEXT, pszText);
      u.Click(h, IDOK);
      u.WaitGone(h);
    };
  };
  EXPECT_TRUE(Drive(type("  proxy.example:8080 "), [&] { return pPanel->EditProxy(); }));
  EXPECT_EQ("proxy.example:8080|1", std::string(pPanel->sHttpProxy) + "|" + std::to_string(pPanel->bUseHttpProxy));
  EXPECT_EQ("HTTP通信時利用するプロキシサーバサーバーを\r\n「ホスト名 or IP：ポート番号」の形式で入力してください\r\n"
            "※例：192.168.0.1:8080", prompt);
  EXPECT_FALSE(Drive(type(""), [&] { return pPanel->EditProxy(); }));
  EXPECT_EQ(0, pPanel->bUseHttpProxy);
  EXPECT_EQ(IDOK, Drive([](CUser& u) { u.Click(u.Wait("アプリケーション情報"), IDOK); },
                        [&] { return (new CAboutDlg)->DoModal(pFrame); }));
}
