#pragma once
// The one way the programs read local and UTC time and the tick count, sleep,
// and set the local clock. Tests install a virtual clock; the default calls Win32.
#include <windows.h>

class CClock {
 public:
  virtual ~CClock();
  virtual void GetLocalTime(SYSTEMTIME* st) = 0;
  virtual void GetSystemTime(SYSTEMTIME* st) = 0;  // UTC
  virtual BOOL SetLocalTime(const SYSTEMTIME* st) = 0;
  virtual DWORD GetTickCount() = 0;
  virtual void Sleep(DWORD ms) = 0;
};

// The installed clock; the Win32 one when none is installed.
CClock* GetClock();
// Installs c (nullptr = back to Win32); returns the previously installed clock
// (the Win32 one when none was installed).
CClock* SetClock(CClock* c);
// The Win32 clock itself, for virtual clocks that build on the real time.
CClock* GetWin32Clock();
