// Sorbel.exe: the SNTP time server in the notification area.
#include <windows.h>

#include "server/sorbel_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int nCmdShow) {
  return SorbelMain(hInstance, pszCmdLine, nCmdShow);
}
