/* A stand-in shfolder.dll planted beside a program: its folder function
   answers with a marker instead of a folder. */
#include <windows.h>

__declspec(dllexport) HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token,
                                                      DWORD flags, char* path) {
  lstrcpyA(path, "PLANTED");
  return S_OK;
}
