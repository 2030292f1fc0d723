#pragma once
// A top-level window whose messages reach handlers: notifications go to
// their control first, then creation, destruction, painting and commands.
#include "wl/window.h"

class CWLMainWindow : public CWLWindow {
 public:
  LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // FALSE makes the creation fail.
  virtual BOOL OnCreate(CREATESTRUCTA* pCreate);
  virtual void OnDestroy();
  // The base passes the command to default processing.
  virtual LRESULT OnCommand(UINT nNotifyCode, UINT nId, HWND hControl);
  virtual void OnPaint(HDC hdc, PAINTSTRUCT* pPaint);
};
