#pragma once
// Sorbel's application: its main window is the tray controller, and only one
// runs at a time.
#include "wl/framework_app.h"

class CThisApp : public CWLFrameworkApp {
 public:
  // nullptr when a controller window already exists: the program then ends
  // with 0 without a word.
  CWLFrameWindow* CreateMainWindow() override;
};

// The body of Sorbel's WinMain.
int SorbelMain(HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow);
