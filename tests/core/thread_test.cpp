#include "core/thread.h"
#include "support/suite.h"

namespace {
std::atomic<int> g_deleted{0};

// A body that returns at once or runs until stopped; Stop is the owner's side: clear the flag, wait, let go.
class CTestThread : public CThread {
 public:
  explicit CTestThread(bool endAtOnce, bool start = true) : bEndAtOnce(endAtOnce), bStart(start) {}
  ~CTestThread() override { ++g_deleted; }
  bool OnThreadStart() override { return bStart; }
  DWORD Run() override {
    ++nRuns;
    while (!bEndAtOnce && bRunning.load()) GetWin32Clock()->Sleep(0);
    return 7;
  }
  void Stop() {
    bRunning.store(false);
    WaitForEnd(1000);
    ReleaseOwner();
  }
  bool bEndAtOnce, bStart;
  std::atomic<bool> bRunning{true};
  std::atomic<int> nRuns{0};
};
}  // namespace

TEST(Thread, LifecycleAndResults) {
  CTestThread t(true), s(true);
  EXPECT_TRUE(t.Create(1));
  EXPECT_TRUE(t.Create(1));  // a thread exists: nothing more happens
  ASSERT_TRUE(t.WaitForEnd(5000));
  EXPECT_EQ(1, t.nRuns.load());
  EXPECT_TRUE(!t.bCreated && t.hThread == nullptr && t.dwThreadId == 0);  // ended: nothing left to close
  EXPECT_EQ(7, t.nExitCode);
  ASSERT_TRUE(s.Create(0));  // created suspended: nothing runs until Resume
  EXPECT_FALSE(s.WaitForEnd(50));
  EXPECT_EQ(0, s.nRuns.load());
  EXPECT_TRUE(s.Resume() && s.Resume());
  ASSERT_TRUE(s.WaitForEnd(5000));
  EXPECT_EQ(1, s.nRuns.load());
}

TEST(Thread, ARefusedStartStillDeletesItselfAndDeletingARunningThreadEndsIt) {
  g_deleted = 0;
  auto* refused = new CTestThread(true, false);
  refused->bAutoDelete = TRUE;
  ASSERT_TRUE(refused->Create(1));
  refused->Stop();  // the owner lets go; one side must free the object
  EXPECT_TRUE(WaitUntil([] { return g_deleted.load() == 1; }, 5000));

  auto* t = new CTestThread(false);
  ASSERT_TRUE(t->Create(1));
  HANDLE h = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->hThread, GetCurrentProcess(), &h, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  ASSERT_TRUE(WaitUntil([t] { return t->nRuns.load() == 1; }, 5000));
  delete t;
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 5000));
  DWORD code = 99;
  EXPECT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(0u, code);
  CloseHandle(h);
}

// Thousands of stops, racing the body's own end or not: every object freed once, no freed memory touched.
TEST(Thread, StopRacesWithTheEndOfTheBody) {
  const int kCycles = 3000;
  g_deleted = 0;
  for (int i = 0; i < kCycles; ++i) {
    auto* t = new CTestThread(i % 2 == 0);
    t->bAutoDelete = TRUE;
    t->Create(0);
    t->Resume();
    if (i % 3 == 0) GetWin32Clock()->Sleep(0);
    t->Stop();
  }
  EXPECT_TRUE(WaitUntil([&] { return g_deleted.load() == kCycles; }, 20000));
  EXPECT_EQ(kCycles, g_deleted.load());
}
