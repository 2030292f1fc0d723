#pragma once
// Vantro's application: its folders, its window class with the program's
// icons and menu, one running copy at a time; and the program entry with
// its elevation rule.
#include <windows.h>

#include "client/app_folders.h"
#include "wl/framework_app.h"

class CThisApp : public CWLFrameworkApp, public CAppFolders {
 public:
  // nullptr when a main window already exists: that copy is brought to
  // the front and this one ends with 0.
  CWLFrameWindow* CreateMainWindow() override;
  // The framework's class with icon 2, small icon 108 and menu 109.
  BOOL GetWindowClassInfo(WNDCLASSEXA* pClass) override;
};

// The body of Vantro's WinMain. Unless the command line is exactly
// "/usermode", a process without full rights starts the program again
// elevated and ends with 1.
int VantroMain(HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow);
