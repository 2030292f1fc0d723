#pragma once
// Message boxes of the client as the user knows them: owned by the main
// window and captioned with its title. The main window is the top-level
// window of the one given, so a child (the settings panel) finds it too.
#include "client/sys/user_prompt.h"
#include "wl/window.h"

class CWindowPrompt : public CUserPrompt {
 public:
  // Not owned; its window may come later than this object.
  explicit CWindowPrompt(CWLWindow* pWindow) : pWindow(pWindow) {}
  int MessageBox(const char* text, UINT type) override;

 private:
  CWLWindow* pWindow;
};
