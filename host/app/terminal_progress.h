#pragma once
// What kyrel shows on a terminal while work goes on: the progress bars of
// the panels while background work runs, and how far a long frame is (the
// first frame after a change builds what the display caches).

#include <string>

namespace kyrel::app {

// "Interferences 450 of 1000" for each shown panel's progress bar.
std::string PanelProgressText();
// The same while background work runs ("working" when no panel shows a
// bar); empty when nothing runs in the background.
std::string BackgroundProgressText();

// A line on standard output rewritten in place, when standard output is a
// terminal (nothing otherwise).
class ProgressLine {
public:
  void Show(const std::string& text);
  // Ends the line, keeping its last text when `keep`, or erasing it.
  void Finish(bool keep);

private:
  bool shown_ = false;
  std::string last_;
};

// Frames that take longer than a moment show "Drawing: k of n objects".
void ShowLongFramesOnTerminal();

} // namespace kyrel::app
