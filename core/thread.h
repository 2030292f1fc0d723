#pragma once
// Base of the background threads: owns the operating-system thread, runs
// the start, body and end hooks on it, and can delete its own object when
// the body has returned.
//
// The thread's state (handle, identifier, flags, exit code) belongs to the
// owner's side alone: the thread never writes it. The thread only ends,
// which signals its handle; the owner notices that when it waits for the
// end (or deletes the object) and only then forgets the handle.
//
// Deleting the object is race-free without locks: the owner and the thread
// each hold one claim on it. The owner gives its claim up with ReleaseOwner
// (subclasses do that at the end of their Stop), the thread gives its claim
// up when its body has returned; with bAutoDelete the object is deleted by
// whichever side lets go last.
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
  // Owner side: a thread that has ended is forgotten (its exit code kept);
  // one that still runs is ended forcibly with exitCode. On the thread
  // itself it does nothing: the owner forgets the thread when it has ended.
  bool Close(DWORD exitCode);

  // Waits for the thread to end, at most ms; TRUE when it has ended (or
  // never ran), and then the thread is forgotten as by Close.
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
  void Forget();

  // Who decides the end of a running thread: the thread itself when its
  // body returns, or the owner's forced Close, whichever comes first.
  enum { kRunning = 0, kEndedByItself = 1, kEndedByOwner = 2 };
  volatile LONG nEnd;
  volatile LONG nClaims;  // owner + running thread
  volatile LONG bOwnerReleased;
};
