#pragma once
// Threads, waits, events, critical sections and time, with Windows meanings.
//
// Handles returned here (events, threads, processes, files) are reference
// counted objects of this layer: CloseHandle drops the caller's reference and
// the object lives on while a thread or a wait still uses it. Waiting is
// done on one process-wide condition variable, so a wait for any of several
// handles sees each signal exactly once and reports the lowest signalled
// index first, as WaitForMultipleObjects does.

#include "win_types.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED_0 = 0x80;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD CREATE_SUSPENDED = 0x4;

constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7fffffff;

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

// Events. Auto-reset events release one wait per signal; manual-reset ones
// stay signalled until ResetEvent. Named events are not supported (the name
// must be null).
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset, BOOL initial_state,
                    LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Threads. The thread starts at once unless CREATE_SUSPENDED is given
// (ResumeThread starts it). Its handle is signalled when it ends.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stack_size,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, DWORD* thread_id);
DWORD ResumeThread(HANDLE thread);
// Below-normal and lower priorities lower the thread's scheduling weight
// (a higher nice value); raising above normal is recorded but may not be
// granted without privileges. The value set is what GetThreadPriority
// reports.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exit_code);
DWORD GetCurrentThreadId();

// Waits on events, threads and processes.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD milliseconds);

BOOL CloseHandle(HANDLE handle);

// Sleep(0) yields the rest of the time slice.
void Sleep(DWORD milliseconds);
// Milliseconds since an arbitrary start; wraps after 49.7 days like Windows.
DWORD GetTickCount();
std::uint64_t GetTickCount64();

// Critical sections: re-entrant for the holder, with a non-blocking try.
struct CRITICAL_SECTION {
  void* impl = nullptr; // owned; made by InitializeCriticalSection
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// Interlocked operations on 32-bit values.
LONG InterlockedIncrement(volatile LONG* value);
LONG InterlockedDecrement(volatile LONG* value);
LONG InterlockedExchange(volatile LONG* target, LONG value);
