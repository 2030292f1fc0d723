#pragma once
// Base of the application object. The first one constructed in the process
// allocates the thread-local slot in which each thread keeps its application.
#include <windows.h>

class CWLThread {
 public:
  CWLThread();
  virtual ~CWLThread();

  // The slot, TLS_OUT_OF_INDEXES before the first CWLThread. Never freed.
  static DWORD GetTlsSlot();
};
