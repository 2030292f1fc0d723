#include "wl/thread.h"

namespace {
volatile LONG g_nTlsSlot = static_cast<LONG>(TLS_OUT_OF_INDEXES);
}

CWLThread::CWLThread() {
  if (g_nTlsSlot != static_cast<LONG>(TLS_OUT_OF_INDEXES)) return;
  DWORD dwSlot = TlsAlloc();
  // Two threads starting at once: the first slot stays, the other is freed.
  if (InterlockedCompareExchange(&g_nTlsSlot, static_cast<LONG>(dwSlot), static_cast<LONG>(TLS_OUT_OF_INDEXES)) !=
      static_cast<LONG>(TLS_OUT_OF_INDEXES)) {
    TlsFree(dwSlot);
  }
}

CWLThread::~CWLThread() {}

DWORD CWLThread::GetTlsSlot() { return static_cast<DWORD>(g_nTlsSlot); }
