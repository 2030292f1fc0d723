#include "gui_test_support.h"


namespace {
void CALLBACK QuitTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostQuitMessage(7);
}
}  // namespace

int RunFor(CWLApp& app, UINT nMs) {
  SetTimer(nullptr, 0, nMs, QuitTimer);
  return app.Run();
}

void PumpPending() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

CPixels::CPixels(HWND hWnd) {
  RECT rc = {};
  GetClientRect(hWnd, &rc);
  nWidth = rc.right;
  nHeight = rc.bottom;
  HDC hdc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), nWidth, -nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};  // top-down
  DWORD* pBits = nullptr;
  HBITMAP hDib = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pBits), nullptr, 0);
  HGDIOBJ hOld = SelectObject(hdc, hDib);
  PrintWindow(hWnd, hdc, PW_CLIENTONLY);
  GdiFlush();
  aPixels.assign(pBits, pBits + nWidth * nHeight);
  SelectObject(hdc, hOld);
  DeleteObject(hDib);
  DeleteDC(hdc);
}

COLORREF CPixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= nWidth || y >= nHeight) return CLR_INVALID;
  DWORD bgr = aPixels[y * nWidth + x];
  return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

int CPixels::Count(const RECT& rc, COLORREF c) const {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) n += At(x, y) == c;
  }
  return n;
}

std::vector<int> CCountedItem::aDeletions;
