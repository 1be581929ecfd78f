#pragma once
// kyrel on a pseudo-terminal, as a person at a terminal runs it: the tests
// type lines and keys and wait for what they expect to appear, with a
// deadline, never for a fixed time.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace test_terminal {

using Clock = std::chrono::steady_clock;

// One kyrel process on the slave side of a pseudo-terminal.
class Terminal {
public:
  // kyrel started in `dir` with `args` (the executable first), its profile,
  // registry and user folders kept in `dir`.
  Terminal(const std::string& dir, std::vector<std::string> args) : args_(std::move(args)) {
    // Everything the child needs is built before the fork: after it, the
    // child only changes folder and replaces itself.
    std::vector<std::string> overrides = {
        "KYREL_PROFILE=" + dir + "/profile.json", "KYREL_REGISTRY=" + dir + "/registry.json",
        "XDG_DATA_HOME=" + dir + "/data", "XDG_CONFIG_HOME=" + dir + "/config"};
    for (char** e = environ; *e; ++e) {
      bool replaced = false;
      for (const auto& o : overrides)
        replaced = replaced || std::strncmp(*e, o.c_str(), o.find('=') + 1) == 0;
      if (!replaced) env_.emplace_back(*e);
    }
    env_.insert(env_.end(), overrides.begin(), overrides.end());
    std::vector<char*> argv, envp;
    for (auto& a : args_)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env_)
      envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool Started() const { return pid_ > 0 && master_ >= 0; }

  // Reads until `text` appears after what earlier waits consumed; the
  // reading position moves past it. False at the deadline or at the end of
  // the output.
  bool WaitFor(const std::string& text, int timeout_ms = 20000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      std::size_t at = output_.find(text, consumed_);
      if (at != std::string::npos) {
        consumed_ = at + text.size();
        return true;
      }
      if (!ReadSome(deadline)) return false;
    }
  }

  // Types a line as a person would, Enter included.
  void Type(const std::string& line) { Send(line + "\r"); }
  void Send(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  // Reads to the end of the output and reaps the process; its exit status,
  // or -1 when it did not end by itself before the deadline.
  int WaitForExit(int timeout_ms = 20000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (ReadSome(deadline)) {
    }
    for (;;) {
      int status = 0;
      pid_t r = waitpid(pid_, &status, WNOHANG);
      if (r == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (r < 0 || Clock::now() >= deadline) return -1;
      // The output has ended; the process is only finishing its exit.
      poll(nullptr, 0, 10);
    }
  }

  // Everything read so far, for failure messages.
  const std::string& Output() const { return output_; }
  std::size_t Count(const std::string& text) const {
    std::size_t n = 0;
    for (std::size_t at = output_.find(text); at != std::string::npos;
         at = output_.find(text, at + 1))
      ++n;
    return n;
  }

private:
  // False at the deadline or when the slave side is closed (the process ended).
  bool ReadSome(Clock::time_point deadline) {
    for (;;) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{master_, POLLIN, 0};
      int ready = poll(&p, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return false;
      char buffer[4096];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false; // EIO: no process holds the terminal any more
      output_.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
  }

  std::vector<std::string> args_, env_;
  int master_ = -1;
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string output_;
  std::size_t consumed_ = 0;
};

} // namespace test_terminal
