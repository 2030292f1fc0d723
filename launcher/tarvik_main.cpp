// Tarvik.exe: a windowless launcher of script files.
#include <windows.h>

#include "launcher/tarvik.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int nShow) {
  return TarvikMain(commandLine, nShow);
}
