#include "wl/windows_hook.h"

namespace {
CWindowsHook* g_pCurrentHook = nullptr;

LRESULT CALLBACK HookThunk(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode < 0 || g_pCurrentHook == nullptr) return CallNextHookEx(nullptr, nCode, wParam, lParam);
  return g_pCurrentHook->HookProc(nCode, wParam, lParam);
}
}  // namespace

CWindowsHook::CWindowsHook(int nType) : nHookType(nType), hHook(nullptr), pPrevHook(nullptr) {}

CWindowsHook::~CWindowsHook() { InstallHook(false); }

LRESULT CWindowsHook::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(hHook, nCode, wParam, lParam);
}

BOOL CWindowsHook::InstallHook(bool bOn) {
  if (bOn) {
    if (hHook != nullptr) return TRUE;
    pPrevHook = g_pCurrentHook;
    g_pCurrentHook = this;
    hHook = SetWindowsHookExA(nHookType, HookThunk, nullptr, GetCurrentThreadId());
    if (hHook == nullptr) g_pCurrentHook = pPrevHook;
    return hHook != nullptr;
  }
  if (hHook == nullptr) return TRUE;
  UnhookWindowsHookEx(hHook);
  hHook = nullptr;
  if (g_pCurrentHook == this) g_pCurrentHook = pPrevHook;
  return TRUE;
}
