// Linked into each shipped program only (see suite_program): the parts of the
// static C++ runtime that the programs reach, without the exception and
// thread machinery that the library's own versions bring along. Nothing in
// the programs throws; where the library would throw (memory exhausted, a
// container asked for too much), the program ends as an uncaught exception
// ends it, through abort(), only without the verbose terminate handler and
// its demangler. Test programs keep the library's versions.
#include <windows.h>

#include <stdlib.h>

#include <bits/functexcept.h>
#include <cstddef>
#include <new>

namespace {
[[noreturn]] void EndProgram() { abort(); }

void* Allocate(std::size_t nSize) { return malloc(nSize ? nSize : 1); }

void* AllocateOrEnd(std::size_t nSize) {
  void* p = Allocate(nSize);
  if (p == nullptr) EndProgram();
  return p;
}
}  // namespace

void* operator new(std::size_t nSize) { return AllocateOrEnd(nSize); }
void* operator new[](std::size_t nSize) { return AllocateOrEnd(nSize); }
void* operator new(std::size_t nSize, const std::nothrow_t&) noexcept { return Allocate(nSize); }
void* operator new[](std::size_t nSize, const std::nothrow_t&) noexcept { return Allocate(nSize); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, std::size_t) noexcept { free(p); }
void operator delete[](void* p, std::size_t) noexcept { free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free(p); }

// What the library's containers and strings call where they would throw.
namespace std {
void __throw_bad_exception() { EndProgram(); }
void __throw_bad_alloc() { EndProgram(); }
void __throw_bad_array_new_length() { EndProgram(); }
void __throw_bad_cast() { EndProgram(); }
void __throw_bad_typeid() { EndProgram(); }
void __throw_logic_error(const char*) { EndProgram(); }
void __throw_domain_error(const char*) { EndProgram(); }
void __throw_invalid_argument(const char*) { EndProgram(); }
void __throw_length_error(const char*) { EndProgram(); }
void __throw_out_of_range(const char*) { EndProgram(); }
void __throw_out_of_range_fmt(const char*, ...) { EndProgram(); }
void __throw_runtime_error(const char*) { EndProgram(); }
void __throw_range_error(const char*) { EndProgram(); }
void __throw_overflow_error(const char*) { EndProgram(); }
void __throw_underflow_error(const char*) { EndProgram(); }
void __throw_bad_function_call() { EndProgram(); }
}  // namespace std

extern "C" {
void __cxa_pure_virtual() { EndProgram(); }
void __cxa_deleted_virtual() { EndProgram(); }

// Function-local statics are initialised once even where threads meet them.
// Byte 0 of the 64-bit guard is the done flag that the compiler tests inline;
// its second word names the thread that is initialising.
int __cxa_guard_acquire(long long* pGuard) {
  char* pDone = reinterpret_cast<char*>(pGuard);
  LONG volatile* pOwner = reinterpret_cast<LONG volatile*>(pGuard) + 1;
  LONG nSelf = static_cast<LONG>(GetCurrentThreadId());
  for (;;) {
    if (__atomic_load_n(pDone, __ATOMIC_ACQUIRE)) return 0;
    LONG nHolder = InterlockedCompareExchange(pOwner, nSelf, 0);
    if (nHolder == 0) {
      if (!__atomic_load_n(pDone, __ATOMIC_ACQUIRE)) return 1;
      InterlockedExchange(pOwner, 0);
      return 0;
    }
    if (nHolder == nSelf) EndProgram();  // its initialiser needs it itself
    // Another thread is initialising it. A yield, even to a thread of lower
    // priority; SwitchToThread would keep the programs off Windows 9x.
    Sleep(1);
  }
}

void __cxa_guard_release(long long* pGuard) {
  __atomic_store_n(reinterpret_cast<char*>(pGuard), 1, __ATOMIC_RELEASE);
  InterlockedExchange(reinterpret_cast<LONG volatile*>(pGuard) + 1, 0);
}

void __cxa_guard_abort(long long* pGuard) {
  InterlockedExchange(reinterpret_cast<LONG volatile*>(pGuard) + 1, 0);
}
}  // extern "C"
