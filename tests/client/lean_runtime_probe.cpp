// Built as the shipped programs (lean runtime): a local static met by several threads at once is initialised once and
// seen so by all; a nothrow allocation that cannot be met gives nullptr. Exit code 0 when all holds.
#include <windows.h>

#include <new>

#include "core/clock.h"

namespace {
LONG g_nInits = 0;

DWORD WINAPI Meet(void*) {
  static int nValue = (InterlockedIncrement(&g_nInits), GetClock()->Sleep(200), 42);  // the others arrive meanwhile
  return static_cast<DWORD>(nValue);
}
}  // namespace

int main() {
  HANDLE ahThreads[4];
  for (HANDLE& h : ahThreads) h = CreateThread(nullptr, 0, Meet, nullptr, 0, nullptr);
  WaitForMultipleObjects(4, ahThreads, TRUE, 10000);
  int nFailures = g_nInits != 1;
  for (HANDLE h : ahThreads) {
    DWORD dwCode = 0;
    nFailures += !GetExitCodeThread(h, &dwCode) || dwCode != 42;
    CloseHandle(h);
  }
  volatile size_t nHuge = ~static_cast<size_t>(0) / 2;  // more than any address space holds
  char* pHuge = new (std::nothrow) char[nHuge];
  delete[] pHuge;
  return nFailures + (pHuge != nullptr);
}
