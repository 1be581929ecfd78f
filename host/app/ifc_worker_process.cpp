// Starting the IFC worker and collecting its stream. Everything the child
// needs (paths, arguments) is prepared before fork, so that between fork
// and exec it only sets limits and descriptors.

#include "ifc_worker_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#ifndef KYREL_IFC_WORKER_DIR
#define KYREL_IFC_WORKER_DIR ""
#endif

namespace kyrel::app {
namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
  struct stat st{};
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FindNode() {
  if (const char* given = std::getenv("KYREL_NODE"); given && *given) return given;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    for (const char* name : {"node", "nodejs"}) {
      const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0 && IsFile(candidate)) return candidate;
    }
    start = end + 1;
  }
  return {};
}

std::string FindScript() {
  if (const char* given = std::getenv("KYREL_IFC_WORKER"); given && *given) return given;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path beside = exe.parent_path() / "ifc_worker" / "ifc_worker.mjs";
    if (IsFile(beside.string())) return beside.string();
  }
  const std::string source = std::string(KYREL_IFC_WORKER_DIR) + "/ifc_worker.mjs";
  return IsFile(source) ? source : std::string();
}

// What the worker's error output says that the user should hear.
std::string Hint(const std::string& err) {
  if (err.find("Cannot find package 'web-ifc'") != std::string::npos ||
      err.find("Cannot find module") != std::string::npos)
    return "web-ifc is not installed (scripts/deps installs it)";
  if (err.find("out of memory") != std::string::npos ||
      err.find("Allocation failed") != std::string::npos ||
      err.find("Out of memory") != std::string::npos)
    return "it ran out of memory";
  return {};
}

} // namespace

IfcWorkerLimits DefaultIfcWorkerLimits() {
  IfcWorkerLimits limits;
  if (const char* text = std::getenv("KYREL_IFC_TIME_LIMIT"); text && *text) {
    const long seconds = std::strtol(text, nullptr, 10);
    if (seconds > 0 && seconds < 100000) limits.seconds = static_cast<int>(seconds);
  }
  return limits;
}

IfcWorkerRun RunIfcWorker(const std::string& path, const IfcWorkerLimits& limits) {
  IfcWorkerRun run;
  const std::string node = FindNode();
  if (node.empty()) {
    run.failure = "node is not installed (scripts/deps installs it)";
    return run;
  }
  const std::string script = FindScript();
  if (script.empty()) {
    run.failure = "the IFC worker script ifc_worker.mjs cannot be found";
    return run;
  }
  std::vector<std::string> args = {node, "--max-old-space-size=2048", "--stack-size=4000", script,
                                   path};
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  int stream[2], err[2];
  if (pipe2(stream, O_CLOEXEC) != 0) {
    run.failure = std::string("it cannot start the IFC reader: ") + std::strerror(errno);
    return run;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    close(stream[0]);
    close(stream[1]);
    run.failure = std::string("it cannot start the IFC reader: ") + std::strerror(errno);
    return run;
  }
  const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) {
    rlimit cpu{static_cast<rlim_t>(limits.seconds), static_cast<rlim_t>(limits.seconds + 1)};
    setrlimit(RLIMIT_CPU, &cpu);
    // The data limit counts what node and web-ifc's heap really use; an
    // address-space limit would break the large reservations wasm makes.
    rlimit data{static_cast<rlim_t>(limits.memory_bytes),
                static_cast<rlim_t>(limits.memory_bytes)};
    setrlimit(RLIMIT_DATA, &data);
    rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    // dup2 clears close-on-exec on the copies.
    if (null_fd >= 0) {
      dup2(null_fd, 0);
      dup2(null_fd, 1);
    }
    dup2(err[1], 2);
    dup2(stream[1], 3);
    execv(node.c_str(), argv.data());
    _exit(127);
  }
  if (null_fd >= 0) close(null_fd);
  close(stream[1]);
  close(err[1]);
  if (pid < 0) {
    close(stream[0]);
    close(err[0]);
    run.failure = std::string("it cannot start the IFC reader: ") + std::strerror(errno);
    return run;
  }

  std::string errors;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limits.seconds);
  bool timed_out = false, too_much = false;
  bool stream_open = true, err_open = true;
  std::vector<char> buffer(1 << 16);
  while (stream_open || err_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd p[2] = {{stream_open ? stream[0] : -1, POLLIN, 0}, {err_open ? err[0] : -1, POLLIN, 0}};
    const int ready = poll(p, 2, static_cast<int>(std::min<long long>(left, 1000)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    for (int k = 0; k < 2; ++k) {
      if (p[k].fd < 0 || p[k].revents == 0) continue;
      const ssize_t n = read(p[k].fd, buffer.data(), buffer.size());
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        (k == 0 ? stream_open : err_open) = false;
        continue;
      }
      if (k == 0) {
        run.stream.append(buffer.data(), static_cast<std::size_t>(n));
        if (run.stream.size() > limits.stream_bytes) too_much = true;
      } else if (errors.size() < (1u << 16)) {
        errors.append(buffer.data(), static_cast<std::size_t>(n));
      }
    }
    if (too_much) break;
  }
  close(stream[0]);
  close(err[0]);
  if (timed_out || too_much) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  const std::string hint = Hint(errors);
  if (timed_out || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)) {
    run.failure = "the IFC reader took longer than its limit of " + std::to_string(limits.seconds) +
                  " seconds";
  } else if (too_much) {
    run.failure = "the IFC reader sent more than " +
                  std::to_string(limits.stream_bytes >> 20) + " MB of geometry";
  } else if (WIFSIGNALED(status)) {
    run.failure = "the IFC reader crashed" + (hint.empty() ? std::string() : " (" + hint + ")");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    run.failure = "it cannot start the IFC reader " + node;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 2) {
    run.failure = "the IFC reader failed" + (hint.empty() ? std::string() : " (" + hint + ")");
  }
  return run;
}

} // namespace kyrel::app
