#include "wl/frame_window.h"

#include <commctrl.h>

#include "core/clock.h"
#include "wl/app.h"
#include "wl/command_text.h"

namespace {
volatile LONG g_nFramesConstructed = 0;
}

CWLFrameWindow::CWLFrameWindow() : bClassRegistered(0) {
  LONG nSequence = InterlockedIncrement(&g_nFramesConstructed) % 1000;
  sClassName.Format("WLFRAME_%08d_%04d", static_cast<int>(GetClock()->GetTickCount()), static_cast<int>(nSequence));
}

LRESULT CWLFrameWindow::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE:
      PostMessageA(hWnd, WM_WL_UPDATE_CHILD_CMD_STATES, 0, 0);
      break;
    case WM_SIZE:
      if (OnSize(LOWORD(lParam), HIWORD(lParam), static_cast<UINT>(wParam))) return 0;
      break;
    case WM_NOTIFY:
      if (OnNotify(static_cast<UINT>(wParam), reinterpret_cast<NMHDR*>(lParam))) return 0;
      break;
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
      OnInitMenu(reinterpret_cast<HMENU>(wParam));
      break;
    case WM_MENUSELECT:
      OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      break;
    case WM_WL_UPDATE_CHILD_CMD_STATES:
      UpdateChildCmdStates();
      break;
    default:
      break;
  }
  return CWLMainWindow::WindowProc(uMsg, wParam, lParam);
}

BOOL CWLFrameWindow::Create(CWLWindow* pParent) {
  return CreateEx(sClassName, "", 0, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, pParent != nullptr ? pParent->hWnd : nullptr, nullptr);
}

BOOL CWLFrameWindow::CreateFrame(CWLApp* pFrameApp) {
  if (!bClassRegistered) {
    WNDCLASSEXA wc;
    if (pFrameApp == nullptr || !pFrameApp->GetWindowClassInfo(&wc) || !PreRegisterClass(&wc) ||
        !RegisterClassExA(&wc)) {
      return FALSE;
    }
    bClassRegistered = 1;
  }
  return Create(nullptr);
}

BOOL CWLFrameWindow::PreRegisterClass(WNDCLASSEXA* pClass) {
  pClass->lpszClassName = sClassName;
  pClass->hbrBackground = nullptr;
  return TRUE;
}

void CWLFrameWindow::UpdateCmdState(CWLCmdState*) {}

void CWLFrameWindow::OnMenuSelect(UINT nId, UINT, HMENU) { ShowCommandHelp(nId); }

BOOL CWLFrameWindow::OnNotify(UINT, NMHDR* pHeader) {
  if (pHeader->code == TTN_GETDISPINFOA && pHeader->idFrom != 0) {
    UINT nId = static_cast<UINT>(pHeader->idFrom);
    ShowCommandHelp(nId);
    // The tooltip keeps the pointer: one text that lives until exit.
    static CCharString s_sTipText;
    s_sTipText = pApp != nullptr ? GetCommandHelpText(pApp->LoadResString(nId)) : CCharString();
    auto* pInfo = reinterpret_cast<NMTTDISPINFOA*>(pHeader);
    pInfo->hinst = nullptr;
    pInfo->lpszText = const_cast<char*>(static_cast<const char*>(s_sTipText));
  }
  return TRUE;
}

void CWLFrameWindow::UpdateStatusBar(CWLStatusBar*) {}

void CWLFrameWindow::ShowCommandHelp(UINT) {}

BOOL CWLFrameWindow::OnSize(int, int, UINT) { return FALSE; }
