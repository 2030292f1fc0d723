#pragma once
// A message-only window for the broadcast tests: counts the notifications
// and hands them to the reception, as the main window will.
#include <windows.h>

#include "client/broadcast_reception.h"
#include "support/socket_helpers.h"

struct CTestWindow {
  CTestWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "SuiteBroadcastTest";
    RegisterClassA(&wc);
    hWnd = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                         nullptr);
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CTestWindow() { DestroyWindow(hWnd); }
  // Handles messages until cond holds, at most limitMs real ms.
  template <typename Cond>
  bool PumpUntil(Cond cond, DWORD limitMs) {
    for (DWORD start = GetWin32Clock()->GetTickCount();;) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (cond()) return true;
      if (RealMsSince(start) >= limitMs) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CTestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg != WM_NTP_BROADCAST || !self) return DefWindowProcA(hwnd, msg, wp, lp);
    ++self->nNotices;
    self->lastAddress = wp;
    self->lastPort = lp;
    return self->pReception->OnNtpBroadcast(wp, lp);
  }
  HWND hWnd = nullptr;
  CBroadcastReception* pReception = nullptr;
  int nNotices = 0;
  WPARAM lastAddress = 0;
  LPARAM lastPort = 0;
};
