#pragma once
// What the mouse does in the view, as CAD users expect it:
//   right drag             orbits about the target
//   shift + right drag,
//   middle drag            pans
//   wheel                  zooms at the cursor
//   middle double click    zooms to the extents
//   left click             picks through the host's picking and its pick
//                          filters: alone it replaces the selection, with
//                          shift it adds, with ctrl it removes
//   left drag              selects what lies inside the rectangle (dragged
//                          to the right) or what it touches (to the left)
// While a command waits for a point, a left press answers it with the
// point under the cursor on the construction plane (world z = 0), and the
// release after a drag answers the next point prompt (a drag moves); while
// it waits for objects, a click answers with the object under the cursor.
//
// Coordinates are pixels of the view, (0, 0) at its top left corner.

#include <optional>
#include <string>

#include "opennurbs.h"

class CRhinoView;

namespace kyrel::window {

struct ViewMouse {
  int x = 0, y = 0;
  bool shift = false, ctrl = false;
};

class ViewInput {
public:
  enum Button { left = 1, middle = 2, right = 3 };

  // A left press answers a prompt for a point at once (the line "x,y,z"),
  // so a drag gives a move's two points: the press the first, the release
  // the second.
  std::optional<std::string> Press(CRhinoView& view, Button button, const ViewMouse& at,
                                   int clicks, const std::wstring& prompt);
  // A finished left click or drag may answer the waiting prompt: the line
  // to answer with (a point "x,y,z" or an object id in quotes).
  std::optional<std::string> Release(CRhinoView& view, Button button, const ViewMouse& at,
                                     const std::wstring& prompt);
  void Move(CRhinoView& view, const ViewMouse& at);
  void Wheel(CRhinoView& view, const ViewMouse& at, double steps);

  // The rectangle being dragged, for drawing it (view pixels); false when
  // no drag is on.
  bool SelectionRectangle(int& x0, int& y0, int& x1, int& y1) const;
  bool Dragging() const { return button_ != 0; }
  // Where the cursor is on the construction plane, while a command waits
  // for a point (for the feedback drawing); false otherwise.
  bool CursorPoint(const CRhinoView& view, ON_3dPoint& point) const;

private:
  int button_ = 0;
  ViewMouse down_, last_;
  bool moved_ = false;
  bool answered_on_press_ = false;
  bool has_cursor_ = false;
  ViewMouse cursor_;
};

// The point of the construction plane (world z = 0) under a view pixel;
// when the view looks along the plane, the point at the target's depth.
ON_3dPoint ConstructionPlanePoint(const ON_Viewport& vp, double x, double y);
// Whether the prompt asks for a point (any command prompt but an object
// selection), and the point written in an answer ("x,y,z" or "x,y").
bool WaitsForPoint(const std::wstring& prompt);
std::optional<ON_3dPoint> ParsePoint(const std::string& text);

} // namespace kyrel::window
