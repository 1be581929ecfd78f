#pragma once
// Reading a line from a person at a terminal while the host keeps working:
// between keystrokes the host pumps its messages (workers' progress,
// deferred redraws), a status such as a background computation's progress
// is shown in front of the prompt, and lines printed meanwhile appear above
// the prompt instead of through what is being typed. Tab completes command
// names; Up and Down bring back the lines typed before.

#include <functional>
#include <string>
#include <vector>

#include "command_help.h"

namespace kyrel::app {

class TerminalLine {
public:
  enum class Outcome { line, end_of_input, interrupted };

  struct Hooks {
    std::function<void()> idle;           // runs every few milliseconds
    std::function<std::string()> status;  // shown before the prompt when not empty
    std::function<bool()> take_interrupt; // Ctrl-C since the last call
    // Tab: the line completed, with every candidate in `matches` (listed
    // above the prompt when Tab cannot complete further). Null: Tab types
    // a space.
    std::function<std::string(const std::string& line, std::vector<std::string>& matches)>
        complete;
  };

  explicit TerminalLine(int input_fd = 0, int output_fd = 1) : in_(input_fd), out_(output_fd) {}

  // Shows `prompt` and edits a line until Enter (line), Ctrl-D on an empty
  // line or a closed input (end_of_input), or Ctrl-C (interrupted, the text
  // typed so far kept for the next call unless Discard is called).
  Outcome Read(const std::string& prompt, const Hooks& hooks, std::string& line);
  void Discard() { text_.clear(); }
  // Writes a finished line above the prompt while Read is running, or
  // plainly when it is not.
  void PrintAbove(const std::string& text);

private:
  void Redraw();
  void Write(const std::string& bytes) const;
  // A key's bytes; false when the line is done (Enter or end of input).
  bool Edit(const char* bytes, long count, Outcome& outcome, const Hooks& hooks);
  void Complete(const Hooks& hooks);
  void ShowInstead(std::string text);

  int in_, out_;
  bool active_ = false;
  std::string prompt_, status_, text_;
  int escape_ = 0; // inside an escape sequence (arrow keys): 1 after ESC, 2 after ESC [
  LineHistory history_; // lines typed, for the Up and Down keys
};

} // namespace kyrel::app
