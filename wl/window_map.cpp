#include "wl/window_map.h"

#include "wl/base_window.h"

namespace {
ATOM g_atomWindowProp = 0;
LONG g_nAtomUsers = 0;
}  // namespace

void AcquireWindowAtom() {
  if (InterlockedIncrement(&g_nAtomUsers) == 1) g_atomWindowProp = GlobalAddAtomA("WLWindow_Prop_Atom");
}

void ReleaseWindowAtom() {
  if (InterlockedDecrement(&g_nAtomUsers) == 0 && g_atomWindowProp != 0) {
    GlobalDeleteAtom(g_atomWindowProp);
    g_atomWindowProp = 0;
  }
}

CWLBaseWindow* GetWindowObject(HWND hWnd) {
  if (hWnd == nullptr || g_atomWindowProp == 0) return nullptr;
  return static_cast<CWLBaseWindow*>(GetPropA(hWnd, MAKEINTATOM(g_atomWindowProp)));
}

void SetWindowObject(HWND hWnd, CWLBaseWindow* pObject) {
  if (hWnd == nullptr || g_atomWindowProp == 0) return;
  if (pObject == nullptr) {
    RemovePropA(hWnd, MAKEINTATOM(g_atomWindowProp));
    return;
  }
  SetPropA(hWnd, MAKEINTATOM(g_atomWindowProp), pObject);
  pObject->hWnd = hWnd;
}
