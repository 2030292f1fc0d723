// Dialogs: objects for template controls (creation hook) and later children, a modal loop, Tab in a modeless panel.
#include "client/ntp_svr_list_box.h"
#include <thread>

#include "core/clock.h"
#include "gui_test_support.h"
#include "wl/attach_ctrl.h"
#include "wl/dialog.h"
#include "wl/window_map.h"
#include "wl_test_ids.h"

namespace {
class CTestDialog : public CWLDialog {
 public:
  explicit CTestDialog(UINT nTemplate) : CWLDialog(nTemplate) { bAutoDelete = nTemplate == IDD_PANEL; }
  CWLGUICtrl* CreateChildObject(HWND, UINT nId) override {
    aAsked.push_back(nId);
    if (nId == IDC_LIST) return pList = new CNTPSvrListBox;
    return nId == IDC_EDIT || nId == IDC_LATE ? new CWLAttachCtrl : nullptr;
  }
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    if (uMsg == WM_INITDIALOG) {
      bListBoundAtInit = pList != nullptr && GetWindowObject(GetDlgItem(hWnd, IDC_LIST)) == pList;
      nRowHeight = static_cast<int>(SendDlgItemMessageA(hWnd, IDC_LIST, LB_GETITEMHEIGHT, 0, 0));
    } else if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) {
      bSameTwice = GetItem(IDC_CHECK) != nullptr && GetItem(IDC_CHECK) == GetItem(IDC_CHECK);  // made once
      EndModal(77);
    }
    return CWLDialog::WindowProc(uMsg, wParam, lParam);
  }
  std::vector<UINT> aAsked;
  CNTPSvrListBox* pList = nullptr;
  bool bListBoundAtInit = false, bSameTwice = false;
  int nRowHeight = 0;
};

// Presses OK of the dialog with this caption once it is shown (after WM_INITDIALOG), else cancels it after 5 s.
INT_PTR RunModal(CTestDialog* pDialog, const char* pszCaption) {
  std::thread presser([pszCaption] {
    HWND hDialog = nullptr;
    for (int i = 0; i < 250 && !(hDialog && IsWindowVisible(hDialog)); ++i, GetClock()->Sleep(20)) {
      hDialog = FindWindowA("#32770", pszCaption);
    }
    PostMessageA(hDialog, WM_COMMAND, IsWindowVisible(hDialog) ? IDOK : IDCANCEL, 0);
  });
  INT_PTR nResult = pDialog->DoModal(nullptr);
  presser.join();
  return nResult;
}
}  // namespace

TEST_F(WindowTest, ModalTemplateControlsGetTheirObjectsThroughTheHook) {
  CTestDialog dialog(IDD_TEST);
  EXPECT_EQ(77, RunModal(&dialog, "テスト用ダイアログ"));
  // Every control in template order with its identifier (-1 for the label).
  EXPECT_EQ((std::vector<UINT>{static_cast<UINT>(-1), IDC_LIST, IDC_EDIT, IDC_CHECK, IDOK, IDCANCEL}), dialog.aAsked);
  EXPECT_TRUE(dialog.bListBoundAtInit);
  EXPECT_GE(dialog.nRowHeight, 13 + 4);  // images made on WM_CREATE, before measuring
  EXPECT_TRUE(dialog.bSameTwice);
  EXPECT_EQ(nullptr, app.pDlgInCreation);

  // Without a template font the dialog gets no message before its controls.
  CTestDialog bare(IDD_TEST_NO_FONT);
  EXPECT_EQ(77, RunModal(&bare, "フォントなし"));
  EXPECT_EQ((std::vector<UINT>{IDC_EDIT, IDOK}), bare.aAsked);
}

TEST_F(WindowTest, ModelessPanelTabsLateChildrenAndPlacement) {
  auto* pFrame = NewFrame<>();
  ShowWindow(pFrame->hWnd, SW_SHOW);  // focus needs a visible window
  auto* pPanel = new CTestDialog(IDD_PANEL);
  ASSERT_TRUE(pPanel->CreateChild(pFrame, 10, 20, -1, 150, 134));
  HWND hPanel = pPanel->hWnd;
  WLRECT rect;
  ASSERT_TRUE(pPanel->GetRect(&rect));
  EXPECT_EQ(134, GetDlgCtrlID(hPanel));
  EXPECT_EQ((std::vector<int>{10, 20, 150}), (std::vector<int>{rect.x, rect.y, rect.cy}));
  EXPECT_GT(rect.cx, 300);  // its own width

  // IsDialogMessageA runs for the panel although no window pre-translates.
  ShowWindow(hPanel, SW_SHOW);
  SetFocus(GetDlgItem(hPanel, IDC_EDIT));
  PostMessageA(GetDlgItem(hPanel, IDC_EDIT), WM_KEYDOWN, VK_TAB, 0);
  PostQuitMessage(0);
  app.Run();
  EXPECT_EQ(GetDlgItem(hPanel, IDC_CHECK), GetFocus());

  HWND hLate = CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 40, 20, hPanel, reinterpret_cast<HMENU>(IDC_LATE),
                               app.hInstance, nullptr);
  EXPECT_EQ(static_cast<UINT>(IDC_LATE), pPanel->aAsked.back());
  EXPECT_NE(nullptr, GetWindowObject(hLate));
  SendMessageA(hPanel, WM_CLOSE, 0, 0);  // modeless: destroyed
  EXPECT_FALSE(IsWindow(hPanel));
}
