#include "wl/dialog.h"

#include "wl/app.h"
#include "wl/dialog_child_hook.h"
#include "wl/gui_ctrl.h"
#include "wl/reflect.h"
#include "wl/window_map.h"
#include "wl/window_procs.h"

CWLDialog::CWLDialog(UINT nTemplate) : nTemplateId(nTemplate), bModal(0) { bDialogNavigation = 1; }

INT_PTR CWLDialog::CreateWithHook(CWLWindow* pParent, BOOL bModalDialog) {
  bModal = bModalDialog;
  CWLApp* pOwnerApp = pApp;
  HINSTANCE hInstance = GetInstance();
  HWND hParent = pParent != nullptr ? pParent->hWnd : nullptr;
  LPCSTR pszTemplate = MAKEINTRESOURCEA(nTemplateId);
  auto lParam = reinterpret_cast<LPARAM>(this);

  CWLDialogMsgChildHook hook(this);
  if (pOwnerApp != nullptr) pOwnerApp->pDlgInCreation = this;
  hook.InstallHook(true);
  INT_PTR nResult;
  if (bModalDialog) {
    // This object may be gone when DialogBoxParamA returns.
    nResult = DialogBoxParamA(hInstance, pszTemplate, hParent, WLDialogProc, lParam);
  } else {
    HWND hDialog = CreateDialogParamA(hInstance, pszTemplate, hParent, WLDialogProc, lParam);
    if (hDialog != nullptr) hWnd = hDialog;
    nResult = hDialog != nullptr;
  }
  hook.InstallHook(false);
  if (pOwnerApp != nullptr) pOwnerApp->pDlgInCreation = nullptr;
  return nResult;
}

BOOL CWLDialog::Create(CWLWindow* pParent) { return CreateWithHook(pParent, FALSE) != 0; }

INT_PTR CWLDialog::DoModal(CWLWindow* pParent) { return CreateWithHook(pParent, TRUE); }

BOOL CWLDialog::CreateChild(CWLWindow* pParent, int x, int y, int cx, int cy, UINT nId) {
  if (!Create(pParent)) return FALSE;
  SetWindowLongA(hWnd, GWL_ID, static_cast<LONG>(nId));
  if (cx < 0 || cy < 0) {
    RECT rc;
    GetWindowRect(hWnd, &rc);
    if (cx < 0) cx = rc.right - rc.left;
    if (cy < 0) cy = rc.bottom - rc.top;
  }
  return SetRect({x, y, cx, cy}, kMove | kSize);
}

BOOL CWLDialog::EndModal(INT_PTR nResult) { return EndDialog(hWnd, nResult); }

CWLGUICtrl* CWLDialog::CreateChildObject(HWND, UINT) { return nullptr; }

BOOL CWLDialog::AttachChild(UINT nCode, UINT nId, HWND hChild) {
  if (nCode != WM_CREATE || hChild == nullptr || GetWindowObject(hChild) != nullptr) return FALSE;
  CWLGUICtrl* pCtrl = CreateChildObject(hChild, nId);
  if (pCtrl == nullptr) return FALSE;
  if (!pCtrl->Attach(hChild)) {
    delete pCtrl;
    return FALSE;
  }
  return TRUE;
}

LRESULT CWLDialog::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (ReflectToControl(hWnd, uMsg, wParam, lParam)) return 1;
  switch (uMsg) {
    case WM_DESTROY:
      if (!bAutoDelete) break;
      SetWindowObject(hWnd, nullptr);
      delete this;
      return 0;
    case WM_CLOSE:
      if (bModal) {
        EndModal(0);
      } else {
        Close(TRUE);
      }
      return 0;
    case WM_PARENTNOTIFY:
      if (AttachChild(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
      break;
    default:
      break;
  }
  return DefaultProc(uMsg, wParam, lParam);
}

LRESULT CWLDialog::DefaultProc(UINT, WPARAM, LPARAM) { return 0; }
