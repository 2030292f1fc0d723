#pragma once
// Base of the background threads: owns the operating-system thread, runs
// the start, body and end hooks on it, and can delete its own object when
// the body has returned.
//
// Stopping is race-free without locks: the owner and the thread each hold
// one claim on the object. The owner gives its claim up with ReleaseOwner
// (subclasses do that at the end of their Stop), the thread gives its claim
// up when its body has returned; with bAutoDelete the object is deleted by
// whichever side lets go last, so a thread that ended by itself never frees
// an object its owner is still stopping, and the owner never waits on a
// handle that has been closed.
#include <windows.h>

class CThread {
 public:
  CThread();
  virtual ~CThread();
  CThread(const CThread&) = delete;
  CThread& operator=(const CThread&) = delete;

  virtual DWORD Run();
  virtual bool OnThreadStart();
  virtual DWORD OnThreadEnd();

  // Starts the thread suspended (resume == 1: and resumes it). TRUE when a
  // thread exists afterwards.
  bool Create(int resume);
  bool Resume();
  // From another thread: ends the thread forcibly. On the thread itself:
  // only resets the state and records the exit code.
  bool Close(DWORD exitCode);

  // Waits for the thread to end, at most ms; TRUE when it has ended (or
  // never ran). Safe while the owner still holds its claim.
  bool WaitForEnd(DWORD ms);
  // The owner lets go; afterwards it must not touch the object again.
  void ReleaseOwner();

  LONG nExitCode;
  BOOL bAutoDelete;
  HANDLE hThread;
  DWORD dwThreadId;
  BOOL bResumed;
  BOOL bCreated;

 private:
  static unsigned __stdcall StartRoutine(void* param);
  void ReleaseClaim();

  HANDLE hJoin;         // the same thread, kept until the object goes away
  volatile LONG nClaims;  // owner + running thread
  volatile LONG bOwnerReleased;
};
