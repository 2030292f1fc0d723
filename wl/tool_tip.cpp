#include "wl/tool_tip.h"

#include <windows.h>

#include <commctrl.h>
#include <string.h>

BOOL CWLToolTip::PreCreate(char* pszClass, DWORD* pdwStyle, DWORD*) {
  strcpy(pszClass, TOOLTIPS_CLASSA);
  *pdwStyle &= ~(WS_POPUP | WS_CHILD | 0x3);
  *pdwStyle |= WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
  return TRUE;
}

BOOL CWLToolTip::AddTool(HWND hTool, LPCSTR pszText) {
  TOOLINFOA info = {};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = GetParent(hWnd);  // a popup's owner
  info.uId = reinterpret_cast<UINT_PTR>(hTool);
  info.hinst = GetInstance();
  info.lpszText = const_cast<char*>(pszText);
  return SendMessageA(hWnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}
