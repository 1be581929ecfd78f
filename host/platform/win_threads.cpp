// Threads, events, waits and critical sections on std::thread and one
// process-wide condition variable.

#include "win_threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "kernel_object.h"

namespace kyrel::platform {
namespace {

std::mutex& LiveLock() {
  static std::mutex m;
  return m;
}
std::unordered_set<KernelObject*>& LiveObjects() {
  static auto* objects = new std::unordered_set<KernelObject*>; // outlives static destructors
  return *objects;
}

struct Event final : KernelObject {
  Event() : KernelObject(Kind::event) {}
};

struct Thread final : KernelObject {
  Thread() : KernelObject(Kind::thread) {}
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  // Guarded by WaitLock().
  DWORD exit_code = STILL_ACTIVE;
  bool started = false;
  int priority = THREAD_PRIORITY_NORMAL;
  pid_t tid = 0;
};

int NiceFor(int priority) {
  if (priority <= THREAD_PRIORITY_IDLE) return 19;
  if (priority <= THREAD_PRIORITY_LOWEST) return 10;
  if (priority == THREAD_PRIORITY_BELOW_NORMAL) return 5;
  return 0;
}

void ApplyPriority(pid_t tid, int priority) {
  if (tid == 0) return;
  int nice = NiceFor(priority);
  // Lowering is always allowed; raising back may be refused, which only
  // means the thread keeps running more politely than asked.
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
}

void RunThread(Thread* thread) {
  pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
  int priority;
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->tid = tid;
    priority = thread->priority;
  }
  if (priority != THREAD_PRIORITY_NORMAL) ApplyPriority(tid, priority);
  DWORD code = thread->start ? thread->start(thread->parameter) : 0;
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->exit_code = code;
    thread->signalled = true;
  }
  WaitCondition().notify_all();
  Release(thread);
}

void StartThread(Thread* thread) {
  AddRef(thread); // the running thread's own reference
  try {
    std::thread(RunThread, thread).detach();
  } catch (...) {
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->exit_code = static_cast<DWORD>(-1);
    thread->signalled = true;
    thread->refs.fetch_sub(1);
  }
}

// Consumes the signal of an auto-reset object; call under WaitLock().
bool TakeSignal(KernelObject* object) {
  if (!object->signalled) return false;
  if (object->auto_reset) object->signalled = false;
  return true;
}

} // namespace

std::mutex& WaitLock() {
  static auto* m = new std::mutex;
  return *m;
}
std::condition_variable& WaitCondition() {
  static auto* cv = new std::condition_variable;
  return *cv;
}

void AddRef(KernelObject* object) {
  if (object) object->refs.fetch_add(1);
}

void Release(KernelObject* object) {
  if (!object) return;
  if (object->refs.fetch_sub(1) == 1) {
    {
      std::lock_guard<std::mutex> lock(LiveLock());
      LiveObjects().erase(object);
    }
    delete object;
  }
}

KernelObject* FromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  auto* object = static_cast<KernelObject*>(handle);
  std::lock_guard<std::mutex> lock(LiveLock());
  return LiveObjects().count(object) ? object : nullptr;
}

HANDLE ToHandle(KernelObject* object) {
  {
    std::lock_guard<std::mutex> lock(LiveLock());
    LiveObjects().insert(object);
  }
  return object;
}

void Signal(KernelObject* object) {
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    object->signalled = true;
  }
  WaitCondition().notify_all();
}

} // namespace kyrel::platform

using namespace kyrel::platform;

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manual_reset, BOOL initial_state, LPCWSTR name) {
  if (name != nullptr && name[0] != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* event = new Event;
  event->auto_reset = !manual_reset;
  event->signalled = initial_state != FALSE;
  return ToHandle(event);
}

BOOL SetEvent(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Signal(object);
  return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(WaitLock());
  object->signalled = false;
  return TRUE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, DWORD* thread_id) {
  if (start == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* thread = new Thread;
  thread->start = start;
  thread->parameter = parameter;
  HANDLE handle = ToHandle(thread);
  static std::atomic<DWORD> next_id{1000};
  if (thread_id) *thread_id = next_id.fetch_add(1);
  if (!(flags & CREATE_SUSPENDED)) {
    thread->started = true;
    StartThread(thread);
  }
  return handle;
}

DWORD ResumeThread(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::thread) return static_cast<DWORD>(-1);
  auto* thread = static_cast<Thread*>(object);
  bool start = false;
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    if (!thread->started) start = thread->started = true;
  }
  if (start) StartThread(thread);
  return start ? 1 : 0;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto* thread = static_cast<Thread*>(object);
  pid_t tid;
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->priority = priority;
    tid = thread->signalled ? 0 : thread->tid;
  }
  ApplyPriority(tid, priority);
  return TRUE;
}

int GetThreadPriority(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::thread) return THREAD_PRIORITY_ERROR_RETURN;
  std::lock_guard<std::mutex> lock(WaitLock());
  return static_cast<Thread*>(object)->priority;
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exit_code) {
  KernelObject* object = FromHandle(handle);
  if (!object || object->kind != KernelObject::Kind::thread || !exit_code) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(WaitLock());
  *exit_code = static_cast<Thread*>(object)->exit_code;
  return TRUE;
}

DWORD GetCurrentThreadId() {
  return static_cast<DWORD>(syscall(SYS_gettid));
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD ms) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<KernelObject*> objects(count);
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = FromHandle(handles[i]);
    if (!objects[i] || objects[i]->kind == KernelObject::Kind::file ||
        objects[i]->kind == KernelObject::Kind::registry_key) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
  // Keep the objects alive while waiting even if another thread closes them.
  for (auto* object : objects)
    AddRef(object);
  DWORD result = WAIT_TIMEOUT;
  auto ready = [&]() {
    if (wait_all) {
      for (auto* object : objects)
        if (!object->signalled) return false;
      for (auto* object : objects)
        TakeSignal(object);
      result = WAIT_OBJECT_0;
      return true;
    }
    for (DWORD i = 0; i < count; ++i) {
      if (TakeSignal(objects[i])) {
        result = WAIT_OBJECT_0 + i;
        return true;
      }
    }
    return false;
  };
  {
    std::unique_lock<std::mutex> lock(WaitLock());
    if (ms == INFINITE) {
      while (!ready())
        WaitCondition().wait(lock);
    } else {
      auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      while (!ready()) {
        if (WaitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
          if (!ready()) result = WAIT_TIMEOUT;
          break;
        }
      }
    }
  }
  for (auto* object : objects)
    Release(object);
  return result;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD ms) {
  return WaitForMultipleObjects(1, &handle, FALSE, ms);
}

BOOL CloseHandle(HANDLE handle) {
  KernelObject* object = FromHandle(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    // A handle closed twice must not release a reference that a running
    // thread or a wait still holds.
    std::lock_guard<std::mutex> lock(LiveLock());
    if (object->handle_closed) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    object->handle_closed = true;
  }
  Release(object);
  return TRUE;
}

void Sleep(DWORD ms) {
  if (ms == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::uint64_t GetTickCount64() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() {
  return static_cast<DWORD>(GetTickCount64());
}

namespace {
struct CriticalSectionImpl {
  std::recursive_mutex mutex;
};
} // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (section) section->impl = new CriticalSectionImpl;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (!section) return;
  delete static_cast<CriticalSectionImpl*>(section->impl);
  section->impl = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (section && section->impl) static_cast<CriticalSectionImpl*>(section->impl)->mutex.lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  if (!section || !section->impl) return FALSE;
  return static_cast<CriticalSectionImpl*>(section->impl)->mutex.try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (section && section->impl) static_cast<CriticalSectionImpl*>(section->impl)->mutex.unlock();
}

LONG InterlockedIncrement(volatile LONG* value) {
  return __atomic_add_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedDecrement(volatile LONG* value) {
  return __atomic_sub_fetch(const_cast<LONG*>(value), 1, __ATOMIC_SEQ_CST);
}
LONG InterlockedExchange(volatile LONG* target, LONG value) {
  return __atomic_exchange_n(const_cast<LONG*>(target), value, __ATOMIC_SEQ_CST);
}
