// The smallest window program: a class, a visible window, a message loop.
// tools/bench/startup_memory.py measures its start and working set beside
// Vantro.exe's, under the same Wine.
#include <windows.h>

namespace {
LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(hWnd, uMsg, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = hInstance;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "BENCH_MINIMAL_WINDOW";
  if (!RegisterClassExA(&wc)) return 1;
  HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              600, 400, nullptr, nullptr, hInstance, nullptr);
  if (hWnd == nullptr) return 1;
  ShowWindow(hWnd, SW_SHOW);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
