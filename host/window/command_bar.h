#pragma once
// The command line at the bottom of the window: what the host printed,
// the prompt with its options as buttons, and the line being typed, with
// Tab completing command names, Up and Down bringing back earlier lines,
// and Escape answering `!` (cancel), as on the terminal. The keys come from
// the window (desktop_window.cpp), which owns the keyboard.

#include <deque>
#include <string>
#include <vector>

#include "command_help.h"

namespace kyrel::window {

class CommandBar {
public:
  void AddOutput(const std::string& line, bool error);
  // Draws the bar in the rectangle. True with `line` when the person
  // clicked one of the prompt's options.
  bool Draw(const std::wstring& prompt, const std::string& status, float x, float y, float width,
            float height, std::string& line);

  // Editing the typed line; the window sends the keys here whatever has
  // ImGui's focus, so no keystroke is lost to a click elsewhere.
  void Type(const char* utf8) { typed_ += utf8; }
  void Backspace();
  void Clear() { typed_.clear(); }
  // Tab: completes a command name (only where a command is asked for).
  void Complete(bool command_prompt);
  void Older() { typed_ = history_.Older(typed_); }
  void Newer() { typed_ = history_.Newer(typed_); }
  // Enter: the line, remembered for Up and Down, and an empty line again.
  std::string TakeLine();
  // Lines from scripts join the history too.
  void Remember(const std::string& line) { history_.Add(line); }

private:
  void DrawPrompt(const std::wstring& prompt, std::string& clicked);

  struct Line {
    std::string text;
    bool error = false;
  };
  std::deque<Line> lines_;
  bool scroll_to_end_ = false;
  std::string typed_;
  app::LineHistory history_;
  std::string matches_; // the names a Tab could not choose between
};

} // namespace kyrel::window
