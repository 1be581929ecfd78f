// Registered messages, posting from worker threads, peeking and timers on
// the UI thread's queue.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "afxwin.h"

namespace {

using kyrel::platform::PumpMessages;

struct Recorder {
  std::vector<MSG> seen;
};
Recorder* g_recorder = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_recorder && message != WM_CREATE && message != WM_DESTROY) {
    MSG m;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    g_recorder->seen.push_back(m);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class Messages : public ::testing::Test {
protected:
  void SetUp() override {
    PumpMessages(); // nothing left over from an earlier test
    WNDCLASSW wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = L"RecordingWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, L"RecordingWindow", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
    g_recorder = &recorder;
  }
  void TearDown() override {
    DestroyWindow(hwnd);
    g_recorder = nullptr;
  }
  HWND hwnd = nullptr;
  Recorder recorder;
};

TEST(RegisteredMessages, SameNameSameIdWhateverTheCase) {
  UINT a = RegisterWindowMessageW(L"WM_UPDATE_INTEREFERENCES_PROGRESS");
  UINT b = RegisterWindowMessageW(L"wm_update_intereferences_progress");
  UINT c = RegisterWindowMessageW(L"SOME_OTHER_MESSAGE");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
  EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
}

TEST_F(Messages, PostsFromAWorkerAreDispatchedOnTheUiThreadInOrder) {
  UINT progress = RegisterWindowMessageW(L"TEST_PROGRESS");
  std::thread worker([&] {
    for (int i = 1; i <= 50; ++i)
      PostMessageW(hwnd, progress, static_cast<WPARAM>(i), 50);
  });
  worker.join();
  EXPECT_EQ(PumpMessages(), 50);
  ASSERT_EQ(recorder.seen.size(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(recorder.seen[static_cast<std::size_t>(i)].message, progress);
    EXPECT_EQ(recorder.seen[static_cast<std::size_t>(i)].wParam, static_cast<WPARAM>(i + 1));
  }
}

TEST_F(Messages, PeekWithoutRemoveSeesOnlyTheAskedForMessage) {
  UINT progress = RegisterWindowMessageW(L"TEST_PEEK");
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, nullptr, progress, progress, PM_NOREMOVE | PM_NOYIELD));
  PostMessageW(hwnd, WM_USER + 1, 0, 0);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, progress, progress, PM_NOREMOVE | PM_NOYIELD));
  PostMessageW(hwnd, progress, 3, 4);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, progress, progress, PM_NOREMOVE | PM_NOYIELD));
  EXPECT_EQ(m.wParam, 3u);
  // Still queued: both messages are dispatched afterwards.
  EXPECT_TRUE(PeekMessageW(&m, nullptr, progress, progress, PM_NOREMOVE));
  EXPECT_EQ(PumpMessages(), 2);
  EXPECT_FALSE(kyrel::platform::HasPendingMessages());
}

TEST_F(Messages, PostToAWindowThatDoesNotExistHasNoEffect) {
  HWND dead = CreateWindowExW(0, L"RecordingWindow", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr);
  DestroyWindow(dead);
  EXPECT_FALSE(PostMessageW(dead, WM_USER, 0, 0));
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(&recorder), WM_USER, 0, 0));
  EXPECT_FALSE(kyrel::platform::HasPendingMessages());
}

TEST_F(Messages, MessagesQueuedForAWindowDieWithIt) {
  HWND other = CreateWindowExW(0, L"RecordingWindow", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                               nullptr);
  PostMessageW(other, WM_USER, 0, 0);
  SetTimer(other, 1, 10, nullptr);
  DestroyWindow(other);
  Sleep(20);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_TRUE(recorder.seen.empty());
}

TEST_F(Messages, TimerFiresUntilKilledAndResettingReplacesIt) {
  // Long enough that no pause of a loaded machine makes it due here.
  EXPECT_EQ(SetTimer(hwnd, 1, 60000, nullptr), 1u);
  EXPECT_EQ(PumpMessages(), 0); // not due yet
  // The same timer again, now short; the sleep is longer than the interval
  // but the interval is longer than any pause between two peeks.
  EXPECT_EQ(SetTimer(hwnd, 1, 200, nullptr), 1u);
  Sleep(250);
  EXPECT_EQ(PumpMessages(), 1); // one WM_TIMER per timer however late
  ASSERT_EQ(recorder.seen.size(), 1u);
  EXPECT_EQ(recorder.seen[0].message, WM_TIMER);
  EXPECT_EQ(recorder.seen[0].wParam, 1u);
  EXPECT_TRUE(KillTimer(hwnd, 1));
  EXPECT_FALSE(KillTimer(hwnd, 1));
  Sleep(25);
  EXPECT_EQ(PumpMessages(), 0);
  EXPECT_FALSE(kyrel::platform::HasActiveTimers());
}

TEST_F(Messages, WaitForMessageWakesWhenAWorkerPosts) {
  std::thread worker([&] {
    Sleep(20);
    PostMessageW(hwnd, WM_USER + 7, 0, 0);
  });
  DWORD start = GetTickCount();
  kyrel::platform::WaitForMessage(5000);
  EXPECT_LT(GetTickCount() - start, 4000u);
  worker.join();
  EXPECT_EQ(PumpMessages(), 1);
}

// A dialog-like window that handles a registered message through its
// message map and kills its timer in the handler, as the progress dialog does.
UINT g_progress_message = RegisterWindowMessageW(L"TEST_MAP_PROGRESS");

class ProgressWindow : public CWnd {
public:
  int last_done = -1;
  int timer_calls = 0;
  afx_msg LRESULT OnProgress(WPARAM done, LPARAM) {
    last_done = static_cast<int>(done);
    SetTimer(1, 10, nullptr);
    return 1;
  }
  afx_msg void OnTimer(UINT_PTR id) {
    if (id == 1) {
      ++timer_calls;
      KillTimer(1);
    }
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProgressWindow, CWnd)
ON_REGISTERED_MESSAGE(g_progress_message, &ProgressWindow::OnProgress)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(MessageMaps, RegisteredMessageAndTimerReachTheirHandlers) {
  ProgressWindow w;
  ASSERT_TRUE(w.CreateEx(0, nullptr, L"", 0, RECT{}, nullptr, 0));
  std::thread worker([&] { PostMessageW(w.m_hWnd, g_progress_message, 7, 9); });
  worker.join();
  EXPECT_EQ(PumpMessages(), 1);
  EXPECT_EQ(w.last_done, 7);
  EXPECT_EQ(w.SendMessage(g_progress_message, 8, 9), 1);
  Sleep(25);
  PumpMessages();
  EXPECT_EQ(w.timer_calls, 1);
  Sleep(25);
  PumpMessages();
  EXPECT_EQ(w.timer_calls, 1); // killed in its handler
}

} // namespace
