#include "client/about_dialog.h"

#include "client/res/resource_ids.h"

CAboutDlg::CAboutDlg() : CWLDialog(IDD_ABOUT) {}

LRESULT CAboutDlg::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndModal(LOWORD(wParam));
    return TRUE;
  }
  return CWLDialog::WindowProc(uMsg, wParam, lParam);
}
