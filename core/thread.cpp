#include "core/thread.h"

#include <process.h>

CThread::CThread()
    : nExitCode(-1),
      bAutoDelete(FALSE),
      hThread(nullptr),
      dwThreadId(0),
      bResumed(FALSE),
      bCreated(FALSE),
      hJoin(nullptr),
      nClaims(1),
      bOwnerReleased(0) {}

CThread::~CThread() {
  Close(0);
  if (hJoin) CloseHandle(hJoin);
}

DWORD CThread::Run() { return 1; }
bool CThread::OnThreadStart() { return true; }
DWORD CThread::OnThreadEnd() { return 0; }

bool CThread::Create(int resume) {
  if (bCreated) {
    if (resume == 1 && !bResumed) Resume();
    return true;
  }
  unsigned id = 0;
  // The thread's claim is taken before it can run; it is given back if the
  // start fails.
  InterlockedIncrement(&nClaims);
  uintptr_t h = _beginthreadex(nullptr, 0, StartRoutine, this, CREATE_SUSPENDED, &id);
  if (h == 0) {
    InterlockedDecrement(&nClaims);
    return false;
  }
  HANDLE handle = reinterpret_cast<HANDLE>(h);
  // A second handle for waiting: the thread forgets hThread when it ends.
  HANDLE join = nullptr;
  DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &join, SYNCHRONIZE, FALSE, 0);
  if (hJoin) CloseHandle(hJoin);
  hJoin = join;
  dwThreadId = id;
  hThread = handle;
  bCreated = TRUE;
  if (resume) Resume();
  return true;
}

bool CThread::Resume() {
  if (bResumed) return true;
  bResumed = TRUE;
  if (ResumeThread(hThread) == 0xFFFFFFFF) bResumed = FALSE;
  return bResumed != FALSE;
}

bool CThread::Close(DWORD exitCode) {
  if (!bCreated) return true;
  HANDLE handle = hThread;
  DWORD id = dwThreadId;
  bCreated = FALSE;
  bResumed = FALSE;
  hThread = nullptr;
  dwThreadId = 0;
  nExitCode = static_cast<LONG>(exitCode);
  if (GetCurrentThreadId() == id) {
    // The thread ended by itself: its handle is not needed for the forced
    // end any more, so release it here rather than leak it.
    CloseHandle(handle);
    return true;
  }
  TerminateThread(handle, exitCode);
  CloseHandle(handle);
  // A thread ended forcibly never gives its claim back itself.
  InterlockedDecrement(&nClaims);
  return true;
}

bool CThread::WaitForEnd(DWORD ms) {
  if (!hJoin) return true;
  return WaitForSingleObject(hJoin, ms) == WAIT_OBJECT_0;
}

void CThread::ReleaseOwner() {
  if (InterlockedExchange(&bOwnerReleased, 1)) return;
  ReleaseClaim();
}

void CThread::ReleaseClaim() {
  if (InterlockedDecrement(&nClaims) == 0 && bAutoDelete) delete this;
}

unsigned __stdcall CThread::StartRoutine(void* param) {
  CThread* self = static_cast<CThread*>(param);
  DWORD code = 0;
  if (self->OnThreadStart()) {
    code = self->Run();
    self->OnThreadEnd();
  }
  self->Close(code);
  // With bAutoDelete the object may be gone after this.
  self->ReleaseClaim();
  return code;
}
