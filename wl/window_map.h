#pragma once
// The window property named by the global atom "WLWindow_Prop_Atom" is the
// only map from a window handle to its framework object.
#include <windows.h>

class CWLBaseWindow;

// The first application adds the atom, the last one to go deletes it.
void AcquireWindowAtom();
void ReleaseWindowAtom();

// nullptr for a window without object.
CWLBaseWindow* GetWindowObject(HWND hWnd);
// Binds the window to pObject (its hWnd is set too); nullptr unbinds it.
void SetWindowObject(HWND hWnd, CWLBaseWindow* pObject);
