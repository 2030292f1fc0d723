// The frame's side of the command states: menu items before a menu opens,
// buttons, toolbar buttons and the status bar once per idle phase.
#include <windows.h>

#include <commctrl.h>

#include "wl/cmd_state.h"
#include "wl/frame_window.h"
#include "wl/menu.h"
#include "wl/status_bar.h"
#include "wl/window_map.h"

namespace {
enum ControlKind { kOther, kButton, kEdit, kComboBox, kListBox, kToolBar, kStatusBar, kToolTip };

ControlKind ClassifyControl(HWND hWnd) {
  static const struct {
    const char* pszClass;
    ControlKind kind;
  } kKinds[] = {{"BUTTON", kButton},          {"EDIT", kEdit},
                {"COMBOBOX", kComboBox},      {"LISTBOX", kListBox},
                {TOOLBARCLASSNAMEA, kToolBar}, {STATUSCLASSNAMEA, kStatusBar},
                {TOOLTIPS_CLASSA, kToolTip}};
  char szClass[100] = "";
  GetClassNameA(hWnd, szClass, sizeof(szClass));
  for (const auto& entry : kKinds) {
    if (lstrcmpiA(szClass, entry.pszClass) == 0) return entry.kind;
  }
  return kOther;
}
}  // namespace

void CWLFrameWindow::OnInitMenu(HMENU hMenu) {
  CWLMenu menu(hMenu);
  // The count is read again after each item: the program may change the menu.
  for (int nPos = 0; nPos < menu.GetItemCount(); ++nPos) {
    if (!menu.IsCommandItem(nPos)) continue;
    CWLMenuCmdState state(menu.GetItemID(nPos), &menu, nPos);
    UpdateCmdState(&state);
  }
}

void CWLFrameWindow::UpdateChildCmdStates() {
  for (HWND hChild = GetWindow(hWnd, GW_CHILD); hChild != nullptr; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
    CWLBaseWindow* pObject = GetWindowObject(hChild);
    if (pObject == nullptr) continue;
    switch (ClassifyControl(hChild)) {
      case kButton:
        if (auto* pButton = dynamic_cast<CWLWindow*>(pObject)) {
          CWLButtonCmdState state(static_cast<UINT>(GetWindowLongA(hChild, GWL_ID)), pButton);
          UpdateCmdState(&state);
        }
        break;
      case kToolBar:
        if (auto* pToolBar = dynamic_cast<CWLWindow*>(pObject)) {
          for (int i = 0; i < static_cast<int>(SendMessageA(hChild, TB_BUTTONCOUNT, 0, 0)); ++i) {
            TBBUTTON button = {};
            if (!SendMessageA(hChild, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button))) continue;
            if ((button.fsStyle & TBSTYLE_SEP) || button.idCommand < 1) continue;
            CWLToolBarCmdState state(static_cast<UINT>(button.idCommand), pToolBar);
            UpdateCmdState(&state);
          }
        }
        break;
      case kStatusBar:
        if (auto* pStatusBar = dynamic_cast<CWLStatusBar*>(pObject)) UpdateStatusBar(pStatusBar);
        break;
      default:
        break;
    }
  }
}
