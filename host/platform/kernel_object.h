#pragma once
// The objects behind HANDLE values: a reference count, and for waitable
// objects a signalled state guarded by the process-wide wait lock.
// Internal to the platform layer.

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "win_types.h"

namespace kyrel::platform {

struct KernelObject {
  enum class Kind { event, thread, process, file, registry_key };
  explicit KernelObject(Kind k) : kind(k) {}
  virtual ~KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  const Kind kind;
  std::atomic<int> refs{1};
  bool handle_closed = false; // guarded by the live-object lock
  // Guarded by WaitLock().
  bool signalled = false;
  bool auto_reset = false;
};

// One lock and one condition variable for every wait in the process: a
// signal wakes all waiters, each re-checks its own handles.
std::mutex& WaitLock();
std::condition_variable& WaitCondition();

void AddRef(KernelObject* object);
void Release(KernelObject* object);
// Null for null, INVALID_HANDLE_VALUE or a handle this layer did not make.
KernelObject* FromHandle(HANDLE handle);
HANDLE ToHandle(KernelObject* object);

// Marks the object signalled and wakes waiters.
void Signal(KernelObject* object);

} // namespace kyrel::platform
