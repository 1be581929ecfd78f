#pragma once
// A virtual X display (Xvfb) for the window's tests, and real input events
// sent to it with xdotool. The server tells its display number once it
// accepts clients, so nothing waits for a fixed time.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace test_display {

inline bool ToolsInstalled() {
  return std::system("command -v Xvfb >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1") ==
         0;
}

class VirtualDisplay {
public:
  VirtualDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1400x1000x24",
             "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // The number arrives once the server is ready (or the pipe closes when
    // it could not start).
    std::string number;
    for (;;) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 30000) <= 0) break;
      char c = 0;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool Ready() const { return !name_.empty(); }
  const std::string& Name() const { return name_; }

  // xdotool with its arguments on this display; true when it succeeded.
  bool Xdo(const std::string& arguments) const {
    return std::system(("DISPLAY=" + name_ + " xdotool " + arguments).c_str()) == 0;
  }
  // Types a line into the window under the pointer and presses Return.
  bool TypeLine(const std::string& text) const {
    std::string quoted = "'";
    for (char c : text)
      quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    return Xdo("type --delay 25 " + quoted) && Xdo("key Return");
  }

private:
  pid_t pid_ = -1;
  std::string name_;
};

} // namespace test_display
