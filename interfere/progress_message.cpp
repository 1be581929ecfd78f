// The progress message and the window it goes to.

#include "interfere/progress_message.h"

#include <atomic>

namespace {

// Registered while the library loads; other files' static objects may ask
// for the id before this one is initialised, hence the function's own.
[[maybe_unused]] const UINT s_progress_message = InterferencesProgressMessage();

// Written on the main thread by the dialog, read by the worker before
// each post; a handle that has meanwhile gone is refused by the post.
std::atomic<HWND> s_progress_window{nullptr};

} // namespace

UINT InterferencesProgressMessage() {
  static const UINT id = RegisterWindowMessageW(L"WM_UPDATE_INTEREFERENCES_PROGRESS");
  return id;
}

HWND ProgressWindow() {
  return s_progress_window.load(std::memory_order_acquire);
}

void SetProgressWindow(HWND hwnd) {
  s_progress_window.store(hwnd, std::memory_order_release);
}

void DropQueuedProgress() {
  const UINT id = InterferencesProgressMessage();
  MSG dropped;
  while (PeekMessageW(&dropped, nullptr, id, id, PM_REMOVE)) {
  }
}
