#include "core/thread.h"

#include <process.h>

namespace {
// A thread ended forcibly is gone within moments; the wait only guards
// against a system that never reports it.
const DWORD kEndWaitMs = 5000;
}  // namespace

CThread::CThread()
    : nExitCode(-1),
      bAutoDelete(FALSE),
      hThread(nullptr),
      dwThreadId(0),
      bResumed(FALSE),
      bCreated(FALSE),
      nEnd(kRunning),
      nClaims(1),
      bOwnerReleased(0) {}

CThread::~CThread() {
  if (bCreated && GetCurrentThreadId() == dwThreadId) {
    // Deleted by its own thread after the owner let go: nobody else will
    // close the handle.
    CloseHandle(hThread);
    return;
  }
  Close(0);
}

DWORD CThread::Run() { return 1; }
bool CThread::OnThreadStart() { return true; }
DWORD CThread::OnThreadEnd() { return 0; }

bool CThread::Create(int resume) {
  if (bCreated) {
    if (resume == 1 && !bResumed) Resume();
    return true;
  }
  nEnd = kRunning;
  // The thread's claim is taken before it can run; it is given back if the
  // start fails.
  InterlockedIncrement(&nClaims);
  unsigned id = 0;
  uintptr_t h = _beginthreadex(nullptr, 0, StartRoutine, this, CREATE_SUSPENDED, &id);
  if (h == 0) {
    InterlockedDecrement(&nClaims);
    return false;
  }
  hThread = reinterpret_cast<HANDLE>(h);
  dwThreadId = id;
  bResumed = FALSE;
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
  if (!bCreated || GetCurrentThreadId() == dwThreadId) return true;
  if (InterlockedCompareExchange(&nEnd, kEndedByOwner, kRunning) == kRunning) {
    // The body has not returned: end the thread here. It never gives its
    // claim back itself then.
    TerminateThread(hThread, exitCode);
    WaitForSingleObject(hThread, kEndWaitMs);
    InterlockedDecrement(&nClaims);
    Forget();
    nExitCode = static_cast<LONG>(exitCode);
    return true;
  }
  // It ended by itself and is at most returning from its start routine.
  WaitForSingleObject(hThread, kEndWaitMs);
  Forget();
  return true;
}

bool CThread::WaitForEnd(DWORD ms) {
  if (!bCreated) return true;
  if (WaitForSingleObject(hThread, ms) != WAIT_OBJECT_0) return false;
  Forget();
  return true;
}

void CThread::Forget() {
  DWORD code = 0;
  if (GetExitCodeThread(hThread, &code) && code != STILL_ACTIVE) nExitCode = static_cast<LONG>(code);
  CloseHandle(hThread);
  hThread = nullptr;
  dwThreadId = 0;
  bResumed = FALSE;
  bCreated = FALSE;
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
  // Unless the owner is ending this thread forcibly at this very moment
  // (it then holds the thread's claim), the claim is given back; with
  // bAutoDelete the object may be gone after this.
  if (InterlockedCompareExchange(&self->nEnd, kEndedByItself, kRunning) == kRunning)
    self->ReleaseClaim();
  return code;
}
