// The UI thread's message queue, timers and registered message ids.

#include "win_messages.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "win_strings.h"
#include "win_threads.h"
#include "win_windows.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 10;
  TIMERPROC proc = nullptr;
  Clock::time_point due;
};

struct Queue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<MSG> messages;
  std::vector<Timer> timers;
  UINT_PTR next_thread_timer = 0x7FFF;
  std::map<std::wstring, UINT> registered; // upper-case name -> id
  UINT next_registered = 0xC000;
};

Queue& TheQueue() {
  static auto* queue = new Queue; // workers may post while statics go away
  return *queue;
}

bool InFilter(const MSG& m, HWND hwnd, UINT lo, UINT hi) {
  if (hwnd && m.hwnd != hwnd) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

} // namespace

UINT RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Queue& q = TheQueue();
  std::wstring key = kyrel::platform::ToUpper(name);
  std::lock_guard<std::mutex> lock(q.mutex);
  auto it = q.registered.find(key);
  if (it != q.registered.end()) return it->second;
  if (q.next_registered > 0xFFFF) return 0;
  UINT id = q.next_registered++;
  q.registered.emplace(key, id);
  return id;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Queue& q = TheQueue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    MSG m;
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    q.messages.push_back(m);
  }
  q.changed.notify_all();
  return TRUE;
}

void PostQuitMessage(int exit_code) {
  PostMessageW(nullptr, WM_QUIT, static_cast<WPARAM>(exit_code), 0);
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT lo, UINT hi, UINT remove) {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> lock(q.mutex);
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!InFilter(*it, hwnd, lo, hi)) continue;
    if (msg) *msg = *it;
    if (remove & PM_REMOVE) q.messages.erase(it);
    return TRUE;
  }
  // Timers come after posted messages, as on Windows.
  auto now = Clock::now();
  for (Timer& t : q.timers) {
    if (t.due > now) continue;
    MSG m;
    m.hwnd = t.hwnd;
    m.message = WM_TIMER;
    m.wParam = t.id;
    m.lParam = reinterpret_cast<LPARAM>(t.proc);
    m.time = GetTickCount();
    if (!InFilter(m, hwnd, lo, hi)) continue;
    if (msg) *msg = m;
    if (remove & PM_REMOVE) t.due = now + std::chrono::milliseconds(t.elapse);
    return TRUE;
  }
  return FALSE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd || !IsWindow(msg->hwnd)) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG*) {
  return FALSE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (elapse < 10) elapse = 10;
  Queue& q = TheQueue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    if (!hwnd && id == 0) id = ++q.next_thread_timer;
    Timer t;
    t.hwnd = hwnd;
    t.id = id;
    t.elapse = elapse;
    t.proc = proc;
    t.due = Clock::now() + std::chrono::milliseconds(elapse);
    bool replaced = false;
    for (Timer& existing : q.timers) {
      if (existing.hwnd == hwnd && existing.id == id) {
        existing = t;
        replaced = true;
      }
    }
    if (!replaced) q.timers.push_back(t);
  }
  q.changed.notify_all();
  return hwnd ? (id == 0 ? 1 : id) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> lock(q.mutex);
  bool found = false;
  for (auto it = q.timers.begin(); it != q.timers.end();) {
    if (it->hwnd == hwnd && it->id == id) {
      it = q.timers.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  // A WM_TIMER already taken off the queue is not recalled; none is queued
  // because timers are only turned into messages when peeked.
  return found ? TRUE : FALSE;
}

namespace kyrel::platform {

int PumpMessages() {
  int count = 0;
  MSG msg;
  // Bounded, so a handler that keeps posting cannot hold the loop forever.
  for (int guard = 0; guard < 100000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++guard) {
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    ++count;
  }
  return count;
}

bool HasPendingMessages() {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> lock(q.mutex);
  return !q.messages.empty();
}

bool HasActiveTimers() {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> lock(q.mutex);
  return !q.timers.empty();
}

void WaitForMessage(DWORD ms) {
  Queue& q = TheQueue();
  std::unique_lock<std::mutex> lock(q.mutex);
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (const Timer& t : q.timers)
    if (t.due < deadline) deadline = t.due;
  if (!q.messages.empty()) return;
  q.changed.wait_until(lock, deadline, [&] { return !q.messages.empty(); });
}

void ForgetWindowMessages(HWND hwnd) {
  Queue& q = TheQueue();
  std::lock_guard<std::mutex> lock(q.mutex);
  for (auto it = q.messages.begin(); it != q.messages.end();)
    it = (it->hwnd == hwnd) ? q.messages.erase(it) : it + 1;
  for (auto it = q.timers.begin(); it != q.timers.end();)
    it = (it->hwnd == hwnd) ? q.timers.erase(it) : it + 1;
}

} // namespace kyrel::platform
