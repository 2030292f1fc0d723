#pragma once
// Root of the window objects: the handle and the thread's application. An
// object is bound to its window through the window property (window_map.h).
#include <windows.h>

#include "base/char_string.h"

class CWLApp;

class CWLBaseWindow {
 public:
  CWLBaseWindow();
  // Unbinds a window that outlives its object.
  virtual ~CWLBaseWindow();

  // CreateWindowExA with this object as the creation parameter, so a window
  // of a framework class sends every message from WM_NCCREATE on to it.
  virtual BOOL CreateEx(LPCSTR pszClass, LPCSTR pszTitle, DWORD dwExStyle, DWORD dwStyle, int x, int y, int cx,
                        int cy, HWND hParent, HMENU hMenuOrId);
  // TRUE consumes the message (asked only while bWindowPreTranslate is on).
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
  virtual CCharString GetText();

  HWND hWnd;
  CWLApp* pApp;

 protected:
  HINSTANCE GetInstance() const;
};
