#pragma once
// The application of the programs: start-up creates the main frame, and every
// idle phase updates the command states of its child controls once.
#include "wl/app.h"

class CWLFrameworkApp : public CWLApp {
 public:
  BOOL InitInstance() override;
  BOOL OnIdle(LONG lCount) override;
  // A new main window object, or nullptr (the program then ends with 0).
  virtual CWLFrameWindow* CreateMainWindow() = 0;
};

// The body of WinMain: start-up, message loop, exit code.
int RunApp(CWLApp* pApp, HINSTANCE hInstance, LPCSTR pszCmdLine, int nCmdShow);
