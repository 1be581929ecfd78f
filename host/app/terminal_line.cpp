#include "terminal_line.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kyrel::app {

namespace {

constexpr int kIdleMs = 30;

// Keystrokes one by one, without the terminal's echo; Ctrl-C still raises
// its signal. Restored when the read ends.
class RawMode {
public:
  explicit RawMode(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(fd_, TCSANOW, &raw) == 0;
  }
  ~RawMode() {
    if (active_) tcsetattr(fd_, TCSANOW, &saved_);
  }
  RawMode(const RawMode&) = delete;
  RawMode& operator=(const RawMode&) = delete;

private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

void DropLastCharacter(std::string& text) {
  // UTF-8: continuation bytes go with the byte that starts the character.
  while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80)
    text.pop_back();
  if (!text.empty()) text.pop_back();
}

} // namespace

void TerminalLine::Write(const std::string& bytes) const {
  std::fflush(stdout); // what the host printed through stdio comes first
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(out_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

void TerminalLine::Redraw() {
  std::string shown = "\r\033[K";
  if (!status_.empty()) shown += "[" + status_ + "] ";
  Write(shown + prompt_ + " " + text_);
}

void TerminalLine::PrintAbove(const std::string& text) {
  if (!active_) {
    Write(text + "\n");
    return;
  }
  Write("\r\033[K" + text + "\n");
  Redraw();
}

void TerminalLine::ShowInstead(std::string text) {
  text_ = std::move(text);
  Redraw();
}

void TerminalLine::Complete(const Hooks& hooks) {
  std::vector<std::string> matches;
  std::string completed = hooks.complete(text_, matches);
  if (completed != text_) {
    ShowInstead(std::move(completed));
    return;
  }
  if (matches.size() < 2) {
    Write("\a"); // nothing to complete
    return;
  }
  std::string listed;
  for (const std::string& m : matches)
    listed += (listed.empty() ? "" : "  ") + m;
  PrintAbove(listed);
}

bool TerminalLine::Edit(const char* bytes, long count, Outcome& outcome, const Hooks& hooks) {
  for (long i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (escape_ == 1) {
      escape_ = c == '[' || c == 'O' ? 2 : 0;
      continue;
    }
    if (escape_ == 2) {
      if (c < 0x40 || c > 0x7E) continue; // not yet the sequence's final byte
      escape_ = 0;
      if (c == 'A') ShowInstead(history_.Older(text_));
      if (c == 'B') ShowInstead(history_.Newer(text_));
      continue;
    }
    switch (c) {
    case '\n':
    case '\r':
      outcome = Outcome::line;
      return false;
    case 0x04: // Ctrl-D
      if (text_.empty()) {
        outcome = Outcome::end_of_input;
        return false;
      }
      break;
    case 0x7F:
    case 0x08:
      DropLastCharacter(text_);
      Redraw();
      break;
    case 0x15: // Ctrl-U
      text_.clear();
      Redraw();
      break;
    case 0x1B:
      escape_ = 1;
      break;
    case '\t':
      if (hooks.complete) {
        Complete(hooks);
      } else {
        text_ += ' ';
        Write(" ");
      }
      break;
    default:
      if (static_cast<unsigned char>(c) >= 0x20) {
        text_ += c;
        Write(std::string(1, c));
      }
    }
  }
  return true;
}

TerminalLine::Outcome TerminalLine::Read(const std::string& prompt, const Hooks& hooks,
                                         std::string& line) {
  RawMode raw(in_);
  prompt_ = prompt;
  status_ = hooks.status ? hooks.status() : std::string();
  active_ = true;
  escape_ = 0;
  history_.ResetBrowsing();
  Redraw();
  Outcome outcome = Outcome::line;
  for (bool reading = true; reading;) {
    if (hooks.take_interrupt && hooks.take_interrupt()) {
      outcome = Outcome::interrupted;
      break;
    }
    pollfd p{in_, POLLIN, 0};
    const int ready = poll(&p, 1, kIdleMs);
    if (ready > 0) {
      char bytes[256];
      const ssize_t n = read(in_, bytes, sizeof bytes);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        outcome = Outcome::end_of_input;
        break;
      }
      reading = Edit(bytes, n, outcome, hooks);
      continue;
    }
    if (hooks.idle) hooks.idle();
    std::string status = hooks.status ? hooks.status() : std::string();
    if (status != status_) {
      status_ = std::move(status);
      Redraw();
    }
  }
  // The finished line stays on the terminal as it was typed, without the status.
  if (outcome == Outcome::interrupted) {
    Write("\r\033[K");
  } else {
    if (!status_.empty()) {
      status_.clear();
      Redraw();
    }
    Write("\n");
  }
  status_.clear();
  active_ = false;
  if (outcome == Outcome::line) {
    history_.Add(text_);
    line = std::move(text_);
    text_.clear();
  }
  return outcome;
}

} // namespace kyrel::app
