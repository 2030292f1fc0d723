#pragma once

#include <windows.h>

// Where a program's message boxes go. The GUI programs answer through their
// main window (owner and caption are the window's); tests answer from a script.
class CUserPrompt {
 public:
  virtual ~CUserPrompt() {}
  // type is MB_OK, MB_YESNO or MB_OKCANCEL; returns IDOK, IDYES, IDNO or IDCANCEL.
  virtual int MessageBox(const char* text, UINT type) = 0;
};
