#include "wl/base_window.h"

#include "wl/app.h"
#include "wl/window_map.h"

CWLBaseWindow::CWLBaseWindow() : hWnd(nullptr), pApp(GetCurrentApp()) {}

CWLBaseWindow::~CWLBaseWindow() {
  if (hWnd != nullptr && GetWindowObject(hWnd) == this) SetWindowObject(hWnd, nullptr);
}

BOOL CWLBaseWindow::CreateEx(LPCSTR pszClass, LPCSTR pszTitle, DWORD dwExStyle, DWORD dwStyle, int x, int y,
                             int cx, int cy, HWND hParent, HMENU hMenuOrId) {
  HWND h = CreateWindowExA(dwExStyle, pszClass, pszTitle, dwStyle, x, y, cx, cy, hParent, hMenuOrId, GetInstance(),
                           this);
  // Without a window the object may be gone already (its WM_CREATE failed).
  if (h == nullptr) return FALSE;
  hWnd = h;
  return TRUE;
}

BOOL CWLBaseWindow::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWLBaseWindow::DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

CCharString CWLBaseWindow::GetText() {
  int nLength = GetWindowTextLengthA(hWnd);
  int nSize = nLength > 0 ? nLength + 1 : 514;
  CCharString sText;
  char* pBuffer = sText.GetBuffer(nSize);
  if (pBuffer == nullptr) return sText;
  pBuffer[0] = '\0';
  GetWindowTextA(hWnd, pBuffer, nSize);
  sText.ReleaseBuffer();
  return sText;
}

HINSTANCE CWLBaseWindow::GetInstance() const {
  return pApp != nullptr ? pApp->hInstance : GetModuleHandleA(nullptr);
}
