#include "gui_test_support.h"

#include <stdlib.h>

#include "wl/cmd_state.h"

BOOL CTestApp::OnIdle(LONG lCount) {
  ++nIdleCalls;
  if (lCount == 0) ++nIdlePhases;
  if (nQuitAfterIdle > 0 && nIdlePhases == nQuitAfterIdle && lCount == 0) PostQuitMessage(0);
  return CWLFrameworkApp::OnIdle(lCount);
}

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

namespace {
// Draws the visible children of hParent, bottom of the z-order first, each
// before its own children.
void DrawChildren(HWND hParent, HWND hRoot, HDC hdc) {
  for (HWND h = GetWindow(GetWindow(hParent, GW_CHILD), GW_HWNDLAST); h != nullptr; h = GetWindow(h, GW_HWNDPREV)) {
    if (!IsWindowVisible(h)) continue;
    POINT origin = {0, 0};
    MapWindowPoints(h, hRoot, &origin, 1);
    RECT rc;
    GetClientRect(h, &rc);
    // Each child on its own canvas (controls paint assuming their origin),
    // which starts as what lies below it: a group box paints its frame only.
    HDC hdcChild = CreateCompatibleDC(hdc);
    DWORD* pBits = nullptr;
    HBITMAP hDib = NewDib(hdcChild, rc.right, rc.bottom, &pBits);
    HGDIOBJ hOld = SelectObject(hdcChild, hDib);
    BitBlt(hdcChild, 0, 0, rc.right, rc.bottom, hdc, origin.x, origin.y, SRCCOPY);
    PrintWindow(h, hdcChild, PW_CLIENTONLY);
    BitBlt(hdc, origin.x, origin.y, rc.right, rc.bottom, hdcChild, 0, 0, SRCCOPY);
    SelectObject(hdcChild, hOld);
    DeleteObject(hDib);
    DeleteDC(hdcChild);
    DrawChildren(h, hRoot, hdc);
  }
}
}  // namespace

CPixels CompositeOf(HWND hWnd) {
  CPixels pixels(nullptr);
  RECT rc;
  GetClientRect(hWnd, &rc);
  pixels.nWidth = rc.right;
  pixels.nHeight = rc.bottom;
  HDC hdc = CreateCompatibleDC(nullptr);
  DWORD* pBits = nullptr;
  HBITMAP hDib = NewDib(hdc, pixels.nWidth, pixels.nHeight, &pBits);
  HGDIOBJ hOld = SelectObject(hdc, hDib);
  FillRect(hdc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  PrintWindow(hWnd, hdc, PW_CLIENTONLY);
  DrawChildren(hWnd, hWnd, hdc);
  GdiFlush();
  pixels.aPixels.assign(pBits, pBits + pixels.nWidth * pixels.nHeight);
  SelectObject(hdc, hOld);
  DeleteObject(hDib);
  DeleteDC(hdc);
  return pixels;
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

bool CPixels::SaveBmp(const std::string& path) const {
  // 24 bits: viewers would take the unused fourth byte for alpha.
  int nStride = (nWidth * 3 + 3) & ~3;
  std::vector<BYTE> aRows(static_cast<size_t>(nStride) * nHeight);
  for (int y = 0; y < nHeight; ++y) {
    for (int x = 0; x < nWidth; ++x) {
      COLORREF c = At(x, y);
      BYTE* p = &aRows[static_cast<size_t>(y) * nStride + x * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
  BITMAPINFOHEADER info = {sizeof(info), nWidth, -nHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(file) + sizeof(info) + aRows.size()), 0, 0,
                           static_cast<DWORD>(sizeof(file) + sizeof(info))};
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  bool ok = WriteFile(h, &file, sizeof(file), &n, nullptr) && WriteFile(h, &info, sizeof(info), &n, nullptr) &&
            WriteFile(h, aRows.data(), static_cast<DWORD>(aRows.size()), &n, nullptr);
  CloseHandle(h);
  return ok;
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

std::string ArtifactPath(const char* pszName) {
  const char* pszDir = getenv("WL_ARTIFACT_DIR");
  if (pszDir == nullptr || *pszDir == '\0') return pszName;
  CreateDirectoryA(pszDir, nullptr);
  return std::string(pszDir) + "/" + pszName;
}

std::vector<int> CCountedItem::aDeletions;

CCountedItem::CCountedItem(const char* pszText, int nImageIndex)
    : sText(pszText), nSerial(static_cast<int>(aDeletions.size())) {
  nImage = nImageIndex;
  aDeletions.push_back(0);
}

CCountedItem::~CCountedItem() { ++aDeletions[nSerial]; }

LRESULT CRecordingFrame::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  aMessages.push_back(uMsg);
  return CWLFrameWindow::WindowProc(uMsg, wParam, lParam);
}

LRESULT CRecordingFrame::DefaultProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  aDefaultMessages.push_back(uMsg);
  return CWLFrameWindow::DefaultProc(uMsg, wParam, lParam);
}

void CRecordingFrame::UpdateCmdState(CWLCmdState* pState) {
  if (onCmdState) onCmdState(pState);
}
