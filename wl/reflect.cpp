#include "wl/reflect.h"

HWND FindReflectTarget(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_DRAWITEM:
      return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_MEASUREITEM: {
      UINT nId = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID;
      return nId != 0 ? GetDlgItem(hParent, static_cast<int>(nId)) : nullptr;
    }
    case WM_DELETEITEM:
      return reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
    case WM_COMPAREITEM:
      return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
    case WM_NOTIFY:
      return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) return reinterpret_cast<HWND>(lParam);
      return nullptr;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    default:
      if (uMsg >= WM_CTLCOLORMSGBOX && uMsg <= WM_CTLCOLORSTATIC) return reinterpret_cast<HWND>(lParam);
      return nullptr;
  }
}

BOOL ReflectToControl(HWND hParent, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  HWND hControl = FindReflectTarget(hParent, uMsg, wParam, lParam);
  if (hControl == nullptr || hControl == hParent) return FALSE;
  return SendMessageA(hControl, uMsg + kReflectBase, wParam, lParam) != 0;
}
