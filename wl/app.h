#pragma once
// The application object of a GUI thread: its start-up data, the message loop
// with its idle phase, and the instance and resources that windows use.
#include <windows.h>

#include "base/char_string.h"
#include "wl/thread.h"

class CWLFrameWindow;
class CWLDialog;

class CWLApp : public CWLThread {
 public:
  // Becomes the calling thread's application (the previous one comes back
  // when this one goes).
  CWLApp();
  ~CWLApp() override;

  virtual BOOL InitInstance() = 0;
  // nExitCode.
  virtual int ExitInstance();
  // The class of the framework's windows ("WLBASE_WINDOW_CLASS"); FALSE for none.
  virtual BOOL GetWindowClassInfo(WNDCLASSEXA* pClass);
  // Pumps until WM_QUIT with one idle phase whenever the queue runs empty;
  // the wParam of WM_QUIT.
  virtual int Run();
  // TRUE when the message was consumed.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // FALSE on WM_QUIT.
  virtual BOOL PumpMessage();
  // Called with 0, 1, ... while the queue stays empty; 0 ends the idle phase.
  virtual BOOL OnIdle(LONG lCount);

  // A string resource of at most nMaxLength bytes (513 when nMaxLength <= 0).
  CCharString LoadResString(UINT nId, int nMaxLength = 0);
  HBITMAP LoadBitmapA(UINT nId);

  BOOL bWindowPreTranslate;  // lets windows see their messages before dispatch
  HINSTANCE hInstance;
  int nCmdShow;
  CCharString sCmdLine;
  HACCEL hAccel;
  int nExitCode;
  CWLFrameWindow* pMainWnd;
  MSG msgCur;
  CWLDialog* pDlgInCreation;  // the dialog whose window is being made on this thread

 private:
  CWLApp* pPrevApp;
};

// The calling thread's application, or nullptr.
CWLApp* GetCurrentApp();
