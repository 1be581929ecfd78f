#pragma once
// The host's dock bars, drawn in the window from their own controls: each
// shown bar sits at the side its dock position names (or floats over the
// view), with a header that closes it or docks it elsewhere through the
// dock bar manager. Inside, the bar's child windows are drawn by class:
// buttons, progress bars, report-mode list views and static texts. A click,
// a double click, a button press and a new size go to the controls through
// the platform layer (the messages and notifications the headless commands
// send too), so the bar's own handlers do the work.

#include <functional>
#include <string>
#include <vector>

#include "win_windows.h"

class CRhinoUiDockBar;

namespace kyrel::window {

class DockPanels {
public:
  struct Margins {
    int left = 0, right = 0, top = 0, bottom = 0;
  };
  // The room the shown, docked bars take at each side of the view.
  Margins Measure(int area_w, int area_h) const;
  // Draws the bars around the view area (x, y, w, h: the room between the
  // toolbar and the command line). What the person did is done after the
  // drawing, when no control is being walked any more, and only when `act`
  // (while the host draws a frame it waits for the next drawing that may).
  void Draw(int x, int y, int w, int h, bool act);
  // A menu of every bar: shown or not.
  void DrawMenu();
  // Where the rows and buttons were drawn last, for WindowLayout.
  const std::vector<std::string>& Placed() const { return placed_; }

private:
  void DrawBar(CRhinoUiDockBar* bar, int x, int y, int w, int h, bool floating);
  void DrawControls(CRhinoUiDockBar* bar);
  void DrawList(HWND list, const RECT& r);
  std::vector<std::function<void()>> actions_;
  std::vector<std::string> placed_;
};

} // namespace kyrel::window
