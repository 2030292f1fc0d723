#include "client/input_dialog.h"

#include "client/res/resource_ids.h"
#include "wl/attach_ctrl.h"

CWLInputDialog::CWLInputDialog() : CWLDialog(IDD_INPUT), bAccepted(0), pEdit(nullptr) { bAutoDelete = FALSE; }

CWLGUICtrl* CWLInputDialog::CreateChildObject(HWND, UINT nId) {
  return nId == IDC_INPUT_TEXT ? pEdit = new CWLAttachCtrl : nullptr;
}

LRESULT CWLInputDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_INITDIALOG:
      SetWindowTextA(hWnd, sTitle);
      SetDlgItemTextA(hWnd, IDC_INPUT_PROMPT, sPrompt);
      if (pEdit != nullptr) {
        SetWindowTextA(pEdit->hWnd, sText);
        SetFocus(pEdit->hWnd);
        SendMessageA(pEdit->hWnd, EM_SETSEL, 0, -1);
      }
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (pEdit != nullptr) sText = pEdit->GetText();
        bAccepted = 1;
        EndModal(IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        bAccepted = 0;
        EndModal(IDCANCEL);
        return TRUE;
      }
      break;
    case WM_DESTROY:
      pEdit = nullptr;  // the edit goes with the dialog
      break;
    default:
      break;
  }
  return CWLDialog::WindowProc(uMsg, wParam, lParam);
}

BOOL RunInputDialog(CWLWindow* pOwner, const char* pszCaption, const char* pszPrompt, CCharString* pText) {
  CWLInputDialog dialog;
  dialog.sTitle = pszCaption;
  dialog.sPrompt = pszPrompt;
  dialog.sText = *pText;
  dialog.DoModal(pOwner);
  if (!dialog.bAccepted) return FALSE;
  *pText = dialog.sText;
  return TRUE;
}
