// Events, waits, threads and critical sections.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "windows.h"

namespace {

TEST(Events, AutoResetReleasesOneWaitPerSignal) {
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  SetEvent(e);
  SetEvent(e); // a second signal while signalled is not counted
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(CloseHandle(e));
}

TEST(Events, ManualResetStaysSignalledUntilReset) {
  HANDLE e = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
  ResetEvent(e);
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
  CloseHandle(e);
}

TEST(Events, WaitForAnyReportsLowestIndexAndConsumesOnlyThatSignal) {
  HANDLE quit = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE compute = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE both[2] = {quit, compute};
  SetEvent(compute);
  SetEvent(quit);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE), WAIT_OBJECT_0);
  // The compute signal is still there for the next wait.
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 20), WAIT_TIMEOUT);
  CloseHandle(quit);
  CloseHandle(compute);
}

TEST(Events, SignalGivenWhileWorkerIsBusyIsSeenAtItsNextWait) {
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<int> woke{0};
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // busy when signalled
    if (WaitForSingleObject(e, 2000) == WAIT_OBJECT_0) woke = 1;
  });
  SetEvent(e);
  worker.join();
  EXPECT_EQ(woke.load(), 1);
  CloseHandle(e);
}

TEST(Events, BadHandlesFailWithoutCrashing) {
  int not_a_handle = 0;
  EXPECT_FALSE(SetEvent(&not_a_handle));
  EXPECT_FALSE(SetEvent(nullptr));
  HANDLE bogus[1] = {&not_a_handle};
  EXPECT_EQ(WaitForMultipleObjects(1, bogus, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(0, bogus, FALSE, 0), WAIT_FAILED);
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_FALSE(CloseHandle(e));
  EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, L"named"), nullptr);
}

DWORD ReturnParameter(LPVOID p) {
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(p));
}

TEST(Threads, HandleIsSignalledWithTheExitCode) {
  HANDLE t = CreateThread(nullptr, 0, ReturnParameter, reinterpret_cast<LPVOID>(std::uintptr_t{42}),
                          0, nullptr);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 42u);
  // A thread handle stays signalled (it is not an auto-reset event).
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
  CloseHandle(t);
}

DWORD WaitOnEvent(LPVOID p) {
  return WaitForSingleObject(static_cast<HANDLE>(p), 5000) == WAIT_OBJECT_0
             ? 0
             : static_cast<DWORD>(-1);
}

TEST(Threads, BelowNormalPriorityIsKeptAndTheThreadStillRuns) {
  HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE t = CreateThread(nullptr, 0, WaitOnEvent, go, 0, nullptr);
  EXPECT_TRUE(SetThreadPriority(t, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(GetThreadPriority(t), THREAD_PRIORITY_BELOW_NORMAL);
  DWORD code = 1;
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, STILL_ACTIVE);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  GetExitCodeThread(t, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(t);
  CloseHandle(go);
}

TEST(Threads, SuspendedThreadRunsOnlyAfterResume) {
  HANDLE t = CreateThread(nullptr, 0, ReturnParameter, nullptr, CREATE_SUSPENDED, nullptr);
  EXPECT_EQ(WaitForSingleObject(t, 30), WAIT_TIMEOUT);
  ResumeThread(t);
  EXPECT_EQ(WaitForSingleObject(t, 5000), WAIT_OBJECT_0);
  CloseHandle(t);
}

TEST(Threads, ClosingTheHandleOfARunningThreadIsSafe) {
  HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE t = CreateThread(nullptr, 0, WaitOnEvent, go, 0, nullptr);
  EXPECT_TRUE(CloseHandle(t));
  SetEvent(go);
  Sleep(20);
  CloseHandle(go);
}

TEST(Time, TickCountAdvancesWithSleep) {
  DWORD start = GetTickCount();
  Sleep(30);
  EXPECT_GE(GetTickCount() - start, 25u);
  Sleep(0); // yields, returns at once
}

struct Section {
  Section() { InitializeCriticalSection(&cs); }
  ~Section() { DeleteCriticalSection(&cs); }
  CRITICAL_SECTION cs;
};

TEST(CriticalSections, HolderMayEnterAgain) {
  Section s;
  EnterCriticalSection(&s.cs);
  EnterCriticalSection(&s.cs);
  EXPECT_TRUE(TryEnterCriticalSection(&s.cs));
  LeaveCriticalSection(&s.cs);
  LeaveCriticalSection(&s.cs);
  LeaveCriticalSection(&s.cs);
}

TEST(CriticalSections, TryEnterFailsWhileAnotherThreadHoldsIt) {
  Section s;
  HANDLE held = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::thread holder([&] {
    EnterCriticalSection(&s.cs);
    SetEvent(held);
    WaitForSingleObject(release, 5000);
    LeaveCriticalSection(&s.cs);
  });
  ASSERT_EQ(WaitForSingleObject(held, 5000), WAIT_OBJECT_0);
  EXPECT_FALSE(TryEnterCriticalSection(&s.cs));
  SetEvent(release);
  holder.join();
  EXPECT_TRUE(TryEnterCriticalSection(&s.cs));
  LeaveCriticalSection(&s.cs);
  CloseHandle(held);
  CloseHandle(release);
}

TEST(CriticalSections, SerialiseIncrementsFromTwoThreads) {
  Section s;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      EnterCriticalSection(&s.cs);
      ++counter;
      LeaveCriticalSection(&s.cs);
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

} // namespace
