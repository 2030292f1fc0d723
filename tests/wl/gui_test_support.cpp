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

namespace {
HBITMAP NewDib(HDC hdc, int cx, int cy, DWORD** ppBits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = -cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  return CreateDIBSection(hdc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(ppBits), nullptr, 0);
}
}  // namespace

CPixels::CPixels(HWND hWnd) {
  if (hWnd == nullptr) return;
  RECT rc;
  GetClientRect(hWnd, &rc);
  nWidth = rc.right;
  nHeight = rc.bottom;
  HDC hdc = CreateCompatibleDC(nullptr);
  DWORD* pBits = nullptr;
  HBITMAP hDib = NewDib(hdc, nWidth, nHeight, &pBits);
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

int CountGdiObjects() {
  SetLastError(0);
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<int>(n);
  // Wine accepts a bare table index as a handle.
  int nLive = 0;
  for (UINT_PTR i = 1; i < 0x10000; ++i) nLive += GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0;
  return nLive;
}

int CountUserObjects() {
  SetLastError(0);
  DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<int>(n);
  // Wine's user handles: index * 2 + 0x20, any generation accepted.
  DWORD dwSelf = GetCurrentProcessId();
  int nLive = 0;
  for (UINT_PTR i = 0; i < 0x8000; ++i) {
    HWND h = reinterpret_cast<HWND>(i * 2 + 0x20);
    DWORD dwProcess = 0;
    if (IsWindow(h) && GetWindowThreadProcessId(h, &dwProcess) && dwProcess == dwSelf) ++nLive;
  }
  return nLive;
}

std::vector<int> CCountedItem::aDeletions;
