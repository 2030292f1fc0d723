#pragma once
// A thread-local Windows hook served by an object. One hook object is current
// at a time; a hook installed while another is on takes over until it is
// removed.
#include <windows.h>

class CWindowsHook {
 public:
  explicit CWindowsHook(int nHookType);
  virtual ~CWindowsHook();
  // The base passes the call on (CallNextHookEx).
  virtual LRESULT HookProc(int nCode, WPARAM wParam, LPARAM lParam);

  // Installs (on the calling thread) or removes the hook; TRUE when it is in
  // the wanted state.
  BOOL InstallHook(bool bOn);

  int nHookType;  // the idHook value
  HHOOK hHook;

 private:
  CWindowsHook* pPrevHook;
};
