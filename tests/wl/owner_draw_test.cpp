// Owner-drawn lists: what they paint (as pixels), the objects they own, the client's server list and run log on them.
#include "../client/temp_folder.h"
#include "client/client_correction_host.h"
#include "client/client_settings.h"
#include "client/ntp_log_list_box.h"
#include "client/ntp_svr_list_box.h"
#include "client/res/image_ids.h"
#include "gui_test_support.h"

namespace {
RECT ItemRect(HWND hList, int nIndex) {
  RECT rc = {};
  SendMessageA(hList, LB_GETITEMRECT, nIndex, reinterpret_cast<LPARAM>(&rc));
  return rc;
}

// The leftmost column of the row with a pixel other than the background.
int FirstInk(const CPixels& pixels, const RECT& rc, COLORREF crBack) {
  for (int x = rc.left; x < rc.right; ++x) {
    for (int y = rc.top; y < rc.bottom; ++y) {
      if (pixels.At(x, y) != crBack) return x;
    }
  }
  return -1;
}

class CCountedServer : public NTP_SERVER_INFO {
 public:
  CCountedServer() : NTP_SERVER_INFO("ntp", "数える", "127.0.0.9") {}
  ~CCountedServer() override { ++nDeleted; }
  static int nDeleted;
};
int CCountedServer::nDeleted = 0;
}  // namespace

TEST_F(WindowTest, ListsPaintHighlightItemColoursImagesAndTheImageColumn) {
  CTempFolder folder;
  auto* pLog = new CNTPLogListBox(folder.Path().c_str());
  ASSERT_TRUE(pLog->CreateCtrl(NewFrame<>(), 0, 0, 480, 250, "loglist", 133));
  ASSERT_EQ(0, pLog->SetImageList(IDB_RUN_RESULT, 16, RGB(255, 0, 255)));  // the first image's index
  pLog->AddLog(" 2024/01/02 03:04:05.006 ： 失敗　( 選択中 ) 応答なし", 0);
  pLog->AddLog(" 2024/01/02 03:04:06.006 ： 失敗　( ntp.example ) 応答なし", 0);
  pLog->AddLog(" 2024/01/02 03:04:07.006 ： 確認　( ntp.example ) 誤差無し", 1);
  pLog->AddLog(" 2024/01/02 03:04:08.006 ： 補正　( ntp.example ) 1.500秒 進み", 2);
  pLog->CWLListBox::AddItem("", reinterpret_cast<LPARAM>(new CCountedItem("画像なしの項目", -1)));
  pLog->SetCurSel(0);
  CPixels pixels(pLog->hWnd);

  const COLORREF crWindow = GetSysColor(COLOR_WINDOW);
  RECT rc[5];
  for (int i = 0; i < 5; ++i) rc[i] = ItemRect(pLog->hWnd, i);
  auto back = [&](int i) { return pixels.At(rc[i].right - 3, rc[i].top + 3); };
  auto textPart = [&](int i) { return RECT{rc[i].left + 20, rc[i].top, rc[i].right, rc[i].bottom}; };
  // Selected: the highlight colours, none of the failed entry's red.
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), back(0));
  EXPECT_EQ(0, pixels.Count(textPart(0), RGB(255, 0, 0)));
  EXPECT_GT(pixels.Count(textPart(0), GetSysColor(COLOR_HIGHLIGHTTEXT)), 30);
  // Not selected: red on pink, system colours, blue on lavender.
  EXPECT_EQ(RGB(255, 224, 224), back(1));
  EXPECT_GT(pixels.Count(textPart(1), RGB(255, 0, 0)), 30);
  EXPECT_EQ(crWindow, back(2));
  EXPECT_EQ(RGB(224, 224, 255), back(3));
  EXPECT_GT(pixels.Count(textPart(3), RGB(0, 0, 255)), 30);
  // Images centred, magenta transparent: the failed image's corner shows the row's pink, its middle the white cross.
  int nTop = rc[1].top + (rc[1].bottom - rc[1].top - 16) / 2;
  EXPECT_EQ(RGB(255, 224, 224), pixels.At(rc[1].left + 1, nTop));
  EXPECT_EQ(RGB(255, 255, 255), pixels.At(rc[1].left + 1 + 7, nTop + 7));
  EXPECT_EQ(RGB(0, 255, 0), pixels.At(rc[2].left + 1 + 5, nTop + 3 + rc[2].top - rc[1].top));
  EXPECT_EQ(0, pixels.Count({0, 0, pixels.nWidth, pixels.nHeight}, RGB(255, 0, 255)));
  // No image, but the text after the image column.
  int nInk = FirstInk(pixels, rc[4], crWindow);
  EXPECT_GE(nInk, rc[4].left + 16 + 3);
  EXPECT_LE(nInk, rc[4].left + 16 + 6);
  EXPECT_LT(rc[1].bottom - rc[1].top, 16 + 4);  // measured before it had images: the font alone
}

TEST_F(WindowTest, EveryItemIsFreedExactlyOnce) {
  CCountedItem::aDeletions.clear();
  auto* pFrame = NewFrame<>();
  auto* pList = new CWLOwnerDrawListBox;
  ASSERT_TRUE(pList->CreateCtrl(pFrame, 0, 0, 200, 200, "", 133));
  for (int i = 0; i < 5; ++i) pList->AddItem("", reinterpret_cast<LPARAM>(new CCountedItem("項目")));
  EXPECT_EQ(4, pList->DeleteString(1));
  CWLOwnerDrawItemData* pMoved = pList->GetItemObject(0);
  EXPECT_EQ(2, pList->MoveItem(0, 2));
  EXPECT_EQ(pMoved, pList->GetItemObject(2));
  EXPECT_EQ(0, pList->MoveItem(2, 0));
  EXPECT_EQ(pMoved, pList->GetItemObject(0));
  EXPECT_EQ(-1, pList->MoveItem(0, 9));
  EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 0}), CCountedItem::aDeletions);
  pList->ResetContent();
  EXPECT_EQ((std::vector<int>{1, 1, 1, 1, 1}), CCountedItem::aDeletions);
  for (int i = 0; i < 3; ++i) pList->AddItem("", reinterpret_cast<LPARAM>(new CCountedItem("項目")));
  DestroyWindow(pFrame->hWnd);  // the list goes with its parent
  EXPECT_EQ(std::vector<int>(8, 1), CCountedItem::aDeletions);
}

TEST_F(WindowTest, ServerListIsTheSettingsListAndRunLogTheActionLog) {
  CTempFolder folder;
  folder.Put("ntp_server.txt", "# 工場出荷\r\n一号,ntp1.example\r\n\"三 号\",127.0.0.3\r\n");
  auto* pFrame = NewFrame<>();
  auto* pServers = new CNTPSvrListBox;
  ASSERT_TRUE(pServers->CreateCtrl(pFrame, 0, 0, 200, 100, "", 1005));
  CCountedServer::nDeleted = 0;
  {
    CClientConfig config(folder.Path().c_str(), folder.Path().c_str(), nullptr);
    config.SetServerList(pServers);
    ASSERT_EQ(pServers, config.GetServerList());
    config.LoadServerList(TRUE);
    ASSERT_EQ(2, pServers->GetItemCount());
    EXPECT_EQ(0, pServers->GetSelection());
    EXPECT_STREQ("三 号 (127.0.0.3)", pServers->GetAt(1)->GetText());
    EXPECT_EQ(2, pServers->AddItem(new CCountedServer));
  }  // the settings go first: the list and its entries stay
  EXPECT_EQ(3, pServers->GetCount());
  EXPECT_EQ(0, CCountedServer::nDeleted);

  auto* pLog = new CNTPLogListBox(folder.Path().c_str());
  ASSERT_TRUE(pLog->CreateCtrl(pFrame, 0, 100, 200, 100, "loglist", 133));
  CClientSettings settings;
  settings.bSaveLog = 1;
  CClientCorrectionHost host(pLog, &settings);  // the run log is an action log
  for (int i = 0; i < 205; ++i) host.ReportCorrection(("run " + std::to_string(i)).c_str(), i % 2);
  EXPECT_EQ(201, pLog->GetItemCount());
  EXPECT_EQ(200, pLog->GetCurSel());
  EXPECT_STREQ("run 4", pLog->GetItemObject(0)->GetText());
  pLog->ResetContent();  // the clear command: the counters stay
  EXPECT_EQ(205, pLog->nOKCount + pLog->nNGCount);
  DestroyWindow(pFrame->hWnd);
  EXPECT_EQ(1, CCountedServer::nDeleted);
  // Closed with the list: the file opens without sharing writes.
  HANDLE hFile = CreateFileA((folder.Path() + "ntpaccess.log").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(INVALID_HANDLE_VALUE, hFile);
  CloseHandle(hFile);
}
