#include "client/window_prompt.h"

int CWindowPrompt::MessageBox(const char* text, UINT type) {
  HWND hOwner = pWindow != nullptr && pWindow->hWnd != nullptr ? GetAncestor(pWindow->hWnd, GA_ROOT) : nullptr;
  char szCaption[256] = "";
  if (hOwner != nullptr) GetWindowTextA(hOwner, szCaption, sizeof(szCaption));
  return ::MessageBoxA(hOwner, text, szCaption, type);
}
