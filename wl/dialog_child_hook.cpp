#include "wl/dialog_child_hook.h"

#include "wl/dialog.h"

CWLDialogMsgChildHook::CWLDialogMsgChildHook(CWLDialog* pDlg)
    : CWindowsHook(WH_CALLWNDPROC), pDialog(pDlg), hDialogWnd(nullptr) {}

LRESULT CWLDialogMsgChildHook::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  const auto* pCall = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (pCall->message == WM_NCCREATE) {
    if (hDialogWnd == nullptr) {
      hDialogWnd = pCall->hwnd;
    } else if (GetParent(pCall->hwnd) == hDialogWnd) {
      const auto* pCreate = reinterpret_cast<const CREATESTRUCTA*>(pCall->lParam);
      UINT nId = static_cast<UINT>(reinterpret_cast<UINT_PTR>(pCreate->hMenu));
      pDialog->AttachChild(WM_CREATE, nId, pCall->hwnd);
    }
  }
  return CWindowsHook::HookProc(nCode, wParam, lParam);
}
