// Dialogs: objects for the template's controls through the creation hook
// and for later children through WM_PARENTNOTIFY, a modal loop driven from a
// second thread, Tab in a modeless dialog, and the child panel.
#include <gtest/gtest.h>

#include "client/ntp_svr_list_box.h"
#include "core/clock.h"
#include "gui_test_support.h"
#include "wl/attach_ctrl.h"
#include "wl/dialog.h"
#include "wl/window_map.h"
#include "wl_test_ids.h"

namespace {
class CTestDialog : public CWLDialog {
 public:
  explicit CTestDialog(UINT nTemplate = IDD_TEST) : CWLDialog(nTemplate) {}
  CWLGUICtrl* CreateChildObject(HWND, UINT nId) override {
    aAsked.push_back(nId);
    if (nId == IDC_LIST) return pList = new CNTPSvrListBox;
    return nId == IDC_EDIT || nId == IDC_LATE ? new CWLAttachCtrl : nullptr;
  }
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
    if (uMsg == WM_INITDIALOG) {
      bListBoundAtInit = pList != nullptr && GetWindowObject(GetDlgItem(hWnd, IDC_LIST)) == pList;
      nRowHeight = static_cast<int>(SendDlgItemMessageA(hWnd, IDC_LIST, LB_GETITEMHEIGHT, 0, 0));
      if (bModal) SetTimer(hWnd, 1, 10000, nullptr);  // bounds a test whose presser failed
      return TRUE;
    }
    if (uMsg == WM_TIMER) {
      EndModal(-2);
      return TRUE;
    }
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) {
      pFirstGet = GetItem(IDC_EDIT);
      bSameTwice = pFirstGet == GetItem(IDC_EDIT);
      EndModal(77);
      return TRUE;
    }
    return CWLDialog::WindowProc(uMsg, wParam, lParam);
  }
  std::vector<UINT> aAsked;
  CNTPSvrListBox* pList = nullptr;
  CWLWindow* pFirstGet = nullptr;
  bool bListBoundAtInit = false;
  bool bSameTwice = false;
  int nRowHeight = 0;
};

// Presses OK of the dialog with this caption once it shows; bounded wait.
DWORD WINAPI PressOk(void* pCaption) {
  for (int i = 0; i < 250; ++i) {
    HWND hDialog = FindWindowA("#32770", static_cast<const char*>(pCaption));
    // Shown after WM_INITDIALOG, with all its controls.
    if (hDialog != nullptr && IsWindowVisible(hDialog)) {
      HWND hOk = GetDlgItem(hDialog, IDOK);
      SendMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(hOk));
      return 1;
    }
    GetClock()->Sleep(20);
  }
  return 0;
}
}  // namespace

TEST(Dialog, ModalTemplateControlsGetTheirObjectsThroughTheHook) {
  CTestApp app;
  CTestDialog dialog;
  dialog.bAutoDelete = FALSE;  // read after the dialog is gone
  static const char kCaption[] = "テスト用ダイアログ";
  HANDLE hPresser = CreateThread(nullptr, 0, PressOk, const_cast<char*>(kCaption), 0, nullptr);
  EXPECT_EQ(77, dialog.DoModal(nullptr));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hPresser, 10000));
  CloseHandle(hPresser);

  // Every control of the template, in template order, with its identifier.
  EXPECT_EQ((std::vector<UINT>{static_cast<UINT>(-1), IDC_LIST, IDC_EDIT, IDC_CHECK, IDOK, IDCANCEL}), dialog.aAsked);
  EXPECT_TRUE(dialog.bListBoundAtInit);
  // The list made its images on WM_CREATE, before its rows were measured.
  EXPECT_GE(dialog.nRowHeight, 13 + 4);
  EXPECT_TRUE(dialog.bSameTwice);
  EXPECT_NE(nullptr, dialog.pFirstGet);
  EXPECT_EQ(nullptr, app.pDlgInCreation);

  // A template without font gives the dialog no message before its controls.
  CTestDialog bare(IDD_TEST_NO_FONT);
  bare.bAutoDelete = FALSE;
  static const char kBareCaption[] = "フォントなし";
  hPresser = CreateThread(nullptr, 0, PressOk, const_cast<char*>(kBareCaption), 0, nullptr);
  EXPECT_EQ(77, bare.DoModal(nullptr));
  WaitForSingleObject(hPresser, 10000);
  CloseHandle(hPresser);
  EXPECT_EQ((std::vector<UINT>{IDC_EDIT, IDOK}), bare.aAsked);
}

TEST(Dialog, ModelessTabNavigationLateChildrenAndTheChildPanel) {
  CTestApp app;
  auto* pFrame = new CWLFrameWindow;
  ASSERT_TRUE(pFrame->CreateFrame(&app));
  ShowWindow(pFrame->hWnd, SW_SHOW);  // focus needs a visible window
  auto* pDialog = new CTestDialog(IDD_PANEL);
  ASSERT_TRUE(pDialog->CreateChild(pFrame, 10, 20, -1, 150, 134));
  HWND hDialog = pDialog->hWnd;
  EXPECT_EQ(134, GetDlgCtrlID(hDialog));
  EXPECT_EQ(pFrame->hWnd, GetParent(hDialog));
  WLRECT rect;
  ASSERT_TRUE(pDialog->GetRect(&rect));
  EXPECT_EQ(10, rect.x);
  EXPECT_EQ(20, rect.y);
  EXPECT_EQ(150, rect.cy);
  EXPECT_GT(rect.cx, 300);  // its own width

  // Tab through the application's loop: IsDialogMessageA runs for the panel
  // although no window pre-translates.
  ShowWindow(hDialog, SW_SHOW);
  SetFocus(GetDlgItem(hDialog, IDC_EDIT));
  PostMessageA(GetDlgItem(hDialog, IDC_EDIT), WM_KEYDOWN, VK_TAB, 0);
  PostMessageA(GetDlgItem(hDialog, IDC_EDIT), WM_KEYUP, VK_TAB, 0xC0000000);
  PostQuitMessage(0);
  app.Run();
  EXPECT_EQ(GetDlgItem(hDialog, IDC_CHECK), GetFocus());

  HWND hLate = CreateWindowExA(0, "BUTTON", "後から", WS_CHILD, 0, 0, 40, 20, hDialog,
                               reinterpret_cast<HMENU>(IDC_LATE), app.hInstance, nullptr);
  EXPECT_EQ(IDC_LATE, static_cast<int>(pDialog->aAsked.back()));
  EXPECT_NE(nullptr, GetWindowObject(hLate));

  SendMessageA(hDialog, WM_CLOSE, 0, 0);  // modeless: destroyed, object deleted
  EXPECT_FALSE(IsWindow(hDialog));
  DestroyWindow(pFrame->hWnd);
  PumpPending();
}
