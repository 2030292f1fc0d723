#include "wl/cmd_state.h"

#include <windows.h>

#include <commctrl.h>

#include "wl/menu.h"
#include "wl/window.h"

int CWLMenuCmdState::Enable(int nRequest) {
  if (nRequest != -1) pTarget->SetEnable(nMenuPos, nRequest == 1);
  // A grayed item may carry MF_GRAYED alone.
  return (pTarget->GetState(nMenuPos) & (MF_GRAYED | MF_DISABLED)) == 0 ? 1 : 0;
}

int CWLMenuCmdState::Check(int nRequest) {
  if (nRequest != -1) pTarget->SetCheck(nMenuPos, nRequest == 1);
  return (pTarget->GetState(nMenuPos) & MF_CHECKED) != 0 ? 1 : 0;
}

int CWLButtonCmdState::Enable(int nRequest) {
  return pTarget->Enable(nRequest == -1 ? -1 : nRequest == 1) ? 1 : 0;
}

int CWLButtonCmdState::Check(int nRequest) {
  HWND hButton = pTarget->hWnd;
  switch (GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      if (nRequest != -1) SendMessageA(hButton, BM_SETCHECK, nRequest == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
      return SendMessageA(hButton, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    default:
      if (nRequest != -1) SendMessageA(hButton, BM_SETSTATE, nRequest == 1, 0);
      return (SendMessageA(hButton, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0 ? 1 : 0;
  }
}

int CWLToolBarCmdState::Enable(int nRequest) { return SetStateBits(0, nRequest, TBSTATE_ENABLED); }

int CWLToolBarCmdState::Check(int nRequest) { return SetStateBits(0, nRequest, TBSTATE_CHECKED); }

int CWLToolBarCmdState::SetStateBits(int, int nRequest, UINT nMask) {
  HWND hToolBar = pTarget->hWnd;
  LRESULT lState = SendMessageA(hToolBar, TB_GETSTATE, nCmdId, 0);
  if (lState == -1) return 0;
  UINT nState = static_cast<UINT>(lState);
  UINT nNew = nState;
  if (nRequest == 1) {
    nNew |= nMask;
  } else if (nRequest != -1) {
    nNew &= ~nMask;
  }
  if (nNew != nState) SendMessageA(hToolBar, TB_SETSTATE, nCmdId, MAKELPARAM(nNew & 0xFFFF, 0));
  return (nNew & nMask) != 0 ? 1 : 0;
}
