#include "interrupt_signal.h"

#include <signal.h>

#include <csignal>

namespace kyrel::app {

namespace {

volatile std::sig_atomic_t g_pending = 0;

extern "C" void OnInterrupt(int signal_number) {
  if (g_pending) {
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
    return;
  }
  g_pending = 1;
}

} // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking read returns at once and the press is seen.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
}

bool TakeInterrupt() {
  if (!g_pending) return false;
  g_pending = 0;
  return true;
}

} // namespace kyrel::app
