// Vantro.exe: the time-correction client.
#include <windows.h>

#include "client/vantro_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int nCmdShow) {
  return VantroMain(hInstance, pszCmdLine, nCmdShow);
}
