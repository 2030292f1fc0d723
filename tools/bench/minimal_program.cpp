// The smallest useful Win32 program, built as the shipped programs are: the
// floor that tools/bench/sizes.py measures them against.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return MessageBoxA(nullptr, "minimal", "size baseline", MB_OK) == IDOK ? 0 : 1;
}
