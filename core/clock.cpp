#include "core/clock.h"

#include <atomic>

namespace {

class CWin32Clock : public CClock {
 public:
  void GetLocalTime(SYSTEMTIME* st) override { ::GetLocalTime(st); }
  void GetSystemTime(SYSTEMTIME* st) override { ::GetSystemTime(st); }
  BOOL SetLocalTime(const SYSTEMTIME* st) override { return ::SetLocalTime(st); }
  DWORD GetTickCount() override { return ::GetTickCount(); }
  void Sleep(DWORD ms) override { ::Sleep(ms); }
};

CWin32Clock g_win32Clock;
// Read by worker threads too, so the pointer itself is atomic.
std::atomic<CClock*> g_clock{&g_win32Clock};

}  // namespace

CClock::~CClock() {}

CClock* GetClock() { return g_clock.load(); }

CClock* SetClock(CClock* c) { return g_clock.exchange(c ? c : &g_win32Clock); }

CClock* GetWin32Clock() { return &g_win32Clock; }
