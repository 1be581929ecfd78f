#pragma once
// Window messages: registered message ids, the UI thread's message queue,
// posting from any thread, peeking, dispatching and timers.
//
// There is one queue per process and it belongs to the UI thread (the thread
// that runs the host's commands). PostMessageW may be called from any
// thread and never blocks; everything else here is for the UI thread.

#include "win_types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

constexpr UINT SIZE_RESTORED = 0;
constexpr UINT HTCLIENT = 1;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};
using LPMSG = MSG*;

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// The same name gives the same id (0xC000 to 0xFFFF) in every library of
// the process; names compare without regard to case. Null or empty: 0.
UINT RegisterWindowMessageW(LPCWSTR name);

// Queues a message for a window of the UI thread (hwnd null: a message for
// the thread itself, which DispatchMessageW hands to nobody). A window that
// does not exist gets nothing: FALSE, ERROR_INVALID_WINDOW_HANDLE.
BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exit_code);

// Looks for a message for `hwnd` (null: any window or the thread) whose id
// lies in [filter_min, filter_max] (both 0: every id). Due timers are
// reported as WM_TIMER messages. PM_REMOVE takes the message off the queue;
// PM_NOREMOVE leaves it.
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filter_min, UINT filter_max, UINT remove);
// Calls the window's procedure (or the timer's callback); returns its result.
LRESULT DispatchMessageW(const MSG* msg);
BOOL TranslateMessage(const MSG* msg);

// Timer `id` of `hwnd` posts WM_TIMER every `elapse` ms (at least 10 ms, as
// on Windows) until killed; setting it again replaces it. Without a window a
// new id is made and returned. At most one WM_TIMER per timer is pending.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

namespace kyrel::platform {

// Dispatches every message that is waiting and every timer that is due;
// returns how many were dispatched. For the host's main loop.
int PumpMessages();
// Whether posted messages wait or any timer is set.
bool HasPendingMessages();
bool HasActiveTimers();
// Blocks until a message is posted, a timer falls due or `ms` pass.
void WaitForMessage(DWORD ms);
// Removes every queued message and timer of the window (it is going away).
void ForgetWindowMessages(HWND hwnd);

} // namespace kyrel::platform
