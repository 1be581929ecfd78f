#include "child_reader.h"

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace kyrel::app {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

unsigned long long AddressSpaceInUse() {
  unsigned long long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%llu", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// In the child: limits, the work, its output as one status byte and the
// bytes; never returns.
[[noreturn]] void ChildMain(int fd, const std::function<bool(std::string&)>& work,
                            const ChildLimits& limits) {
  rlimit cpu{static_cast<rlim_t>(limits.seconds), static_cast<rlim_t>(limits.seconds + 1)};
  setrlimit(RLIMIT_CPU, &cpu);
  if (!kSanitized) {
    rlim_t bytes = static_cast<rlim_t>(AddressSpaceInUse() + limits.extra_bytes);
    rlimit as{bytes, bytes};
    setrlimit(RLIMIT_AS, &as);
  }
  rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
  std::string out;
  bool ok = false;
  try {
    ok = work(out);
  } catch (const std::bad_alloc&) {
    out = "it needs more memory than a mesh file may take";
  } catch (...) {
    out = "the reader failed";
  }
  char status = ok ? 1 : 0;
  bool written = WriteAll(fd, &status, 1) && WriteAll(fd, out.data(), out.size());
  close(fd);
  _exit(written ? 0 : 3);
}

} // namespace

bool RunInChild(const std::function<bool(std::string& output)>& work, const ChildLimits& limits,
                std::string& output, std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "cannot start the reader: " + std::string(std::strerror(errno));
    return false;
  }
  std::fflush(nullptr); // nothing buffered may be written twice
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    error = "cannot start the reader: " + std::string(std::strerror(errno));
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    ChildMain(fds[1], work, limits);
  }
  close(fds[1]);
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
  bool timed_out = false;
  char buffer[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      timed_out = true;
      break;
    }
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  if (timed_out) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timed_out || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)) {
    error = "reader timed out after " + std::to_string(limits.seconds) + " seconds";
    return false;
  }
  if (WIFSIGNALED(status) || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || received.empty()) {
    error = "reader crashed";
    return false;
  }
  if (received[0] != 1) {
    error = received.substr(1);
    return false;
  }
  output = received.substr(1);
  return true;
}

} // namespace kyrel::app
