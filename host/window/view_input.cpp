#include "view_input.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "rhinoSdk.h"
#include "ui/rhino_command_input.h"
#include "win_strings.h"

namespace kyrel::window {

namespace {

constexpr double kDegreesPerPixel = 0.4;
constexpr double kZoomPerStep = 0.15; // share of the distance to the cursor point
constexpr int kDragThreshold = 4;     // pixels before a press becomes a drag

bool WaitsForObjects(const std::wstring& prompt) {
  return prompt.rfind(L"Select", 0) == 0;
}

ON_3dPoint TargetOf(const ON_Viewport& vp) {
  ON_3dPoint target = vp.TargetPoint();
  if (target.IsValid()) return target;
  return vp.CameraLocation() + vp.CameraDirection() * (0.5 * (vp.FrustumNear() + vp.FrustumFar()));
}

void ChangeCamera(CRhinoView& view, const ON_Viewport& vp) {
  view.Viewport().SetVP(vp, true);
  view.Redraw();
}

void Orbit(CRhinoView& view, double dx, double dy) {
  ON_Viewport vp = view.Viewport().VP();
  const ON_3dPoint target = TargetOf(vp);
  const double to_radians = kDegreesPerPixel * ON_PI / 180.0;
  const ON_Xform turn =
      ON_Xform::RotationTransformation(-dx * to_radians, ON_3dVector(0, 0, 1), target);
  ON_Xform tilt = ON_Xform::RotationTransformation(-dy * to_radians, vp.CameraX(), target);
  // Over the pole the view would flip; the tilt stops just short of it.
  ON_3dVector tilted = (turn * tilt) * vp.CameraDirection();
  if (std::fabs(tilted.z) > 0.999 * tilted.Length()) tilt = ON_Xform::IdentityTransformation;
  const ON_Xform used = turn * tilt;
  const ON_3dVector direction = used * vp.CameraDirection();
  const ON_3dVector up = used * vp.CameraUp();
  vp.SetCameraLocation(used * vp.CameraLocation());
  vp.SetCameraDirection(direction);
  vp.SetCameraUp(up);
  vp.SetTargetPoint(target);
  ChangeCamera(view, vp);
}

void Pan(CRhinoView& view, double dx, double dy) {
  ON_Viewport vp = view.Viewport().VP();
  const ON_3dPoint target = TargetOf(vp);
  const double depth = (target - vp.CameraLocation()) * vp.CameraZ() * -1.0;
  const double units = vp.WorldUnitsPerPixel(depth > 0 ? depth : vp.TargetDistance());
  const ON_3dVector shift = vp.CameraX() * (-dx * units) + vp.CameraY() * (dy * units);
  vp.SetCameraLocation(vp.CameraLocation() + shift);
  vp.SetTargetPoint(target + shift);
  ChangeCamera(view, vp);
}

// The point under the pixel at the target's depth.
ON_3dPoint PointAtTargetDepth(const ON_Viewport& vp, double x, double y) {
  ON_Line line;
  const ON_3dPoint target = TargetOf(vp);
  if (!vp.GetFrustumLine(x, y, line)) return target;
  const ON_3dVector axis = vp.CameraDirection();
  const double along = (line.to - line.from) * axis;
  if (std::fabs(along) < 1e-12) return target;
  const double t = ((target - line.from) * axis) / along;
  return line.from + (line.to - line.from) * t;
}

void ZoomAt(CRhinoView& view, double x, double y, double steps) {
  ON_Viewport vp = view.Viewport().VP();
  const ON_3dPoint target = TargetOf(vp);
  const ON_3dPoint under = PointAtTargetDepth(vp, x, y);
  // Each step toward the cursor point keeps that point where it is on
  // the screen; steps back move away by the same ratio.
  const double keep = std::pow(1.0 - kZoomPerStep, steps);
  const double f = 1.0 - keep;
  if (vp.IsPerspectiveProjection()) {
    vp.SetCameraLocation(vp.CameraLocation() + (under - vp.CameraLocation()) * f);
    vp.SetTargetPoint(target + (under - target) * f);
  } else {
    double l = 0, r = 0, b = 0, t = 0, n = 0, fa = 0;
    vp.GetFrustum(&l, &r, &b, &t, &n, &fa);
    vp.SetFrustum(l * keep, r * keep, b * keep, t * keep, n, fa);
    ON_3dVector across = (under - target) * f;
    across = across - vp.CameraDirection() * (across * vp.CameraDirection());
    vp.SetCameraLocation(vp.CameraLocation() + across);
    vp.SetTargetPoint(target + across);
  }
  ChangeCamera(view, vp);
}

bool Selectable(const CRhinoObject* o) {
  return o && !o->IsDeleted() && o->IsVisible() && !o->IsLocked();
}

void Tell(const std::wstring& line) {
  RhinoCommandInput().Print(line);
}

std::wstring NameOf(const CRhinoObject* o) {
  const ON_wString& name = o->Attributes().m_name;
  if (name.Length() > 0) return L"\"" + std::wstring(name.Array()) + L"\"";
  return ON_UuidToString(o->ModelObjectId()).Array();
}

// Selects (or deselects) `objects` as the modifier keys say, and tells how.
void ApplySelection(CRhinoView& view, const std::vector<CRhinoObject*>& objects,
                    const ViewMouse& at) {
  CRhinoDoc* doc = view.Document();
  if (!doc) return;
  if (!at.shift && !at.ctrl) doc->UnselectAll();
  std::wstring names;
  for (CRhinoObject* o : objects) {
    o->Select(!at.ctrl, true, true, false);
    names += (names.empty() ? L"" : L", ") + NameOf(o);
  }
  if (objects.empty())
    Tell(at.shift || at.ctrl ? L"Nothing picked." : L"Selection cleared.");
  else
    Tell(std::wstring(at.ctrl ? L"Deselected " : L"Selected ") + names + L".");
  doc->Redraw();
}

CRhinoObject* PickOne(CRhinoView& view, int x, int y) {
  for (const CRhinoPickHit& hit : view.Pick(x, y))
    if (Selectable(hit.m_object)) return const_cast<CRhinoObject*>(hit.m_object);
  return nullptr;
}

struct ScreenRect {
  double left, top, right, bottom;
  bool Contains(const ON_3dPoint& p) const {
    return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
  }
  // Whether the segment a-b passes through the rectangle (Liang-Barsky).
  bool Crosses(const ON_3dPoint& a, const ON_3dPoint& b) const {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - top, bottom - a.y};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0.0) {
        if (q[i] < 0.0) return false;
        continue;
      }
      const double t = q[i] / p[i];
      if (p[i] < 0.0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1) return false;
    }
    return true;
  }
};

// Objects inside the rectangle (window: every mesh vertex inside) or
// touching it (crossing: a vertex inside or an edge through it, or the
// object under its middle, for a rectangle within one face). Objects
// without meshes are judged by their box corners.
std::vector<CRhinoObject*> InRectangle(CRhinoView& view, int x0, int y0, int x1, int y1,
                                       bool crossing) {
  std::vector<CRhinoObject*> out;
  CRhinoDoc* doc = view.Document();
  if (!doc) return out;
  const ON_Viewport& vp = view.Viewport().VP();
  const ScreenRect rect{static_cast<double>(std::min(x0, x1)), static_cast<double>(std::min(y0, y1)),
                        static_cast<double>(std::max(x0, x1)),
                        static_cast<double>(std::max(y0, y1))};
  for (CRhinoObject* o : doc->ObjectList()) {
    if (!Selectable(o) || o->IsReference()) continue;
    ON_SimpleArray<const ON_Mesh*> meshes;
    o->GetMeshes(ON::render_mesh, meshes);
    std::vector<ON_3dPoint> screen;
    std::vector<std::pair<int, int>> edges;
    for (int i = 0; i < meshes.Count(); ++i) {
      const ON_Mesh* mesh = meshes[i];
      if (!mesh) continue;
      const int first = static_cast<int>(screen.size());
      for (int v = 0; v < mesh->VertexCount(); ++v) {
        ON_3dPoint s;
        if (!vp.GetScreenCoordinates(ON_3dPoint(mesh->m_V[v]), s)) s = ON_3dPoint::UnsetPoint;
        screen.push_back(s);
      }
      for (int f = 0; f < mesh->FaceCount(); ++f) {
        const ON_MeshFace& face = mesh->m_F[f];
        const int corners = face.CornerCount();
        for (int c = 0; c < corners; ++c)
          edges.emplace_back(first + face.vi[c], first + face.vi[(c + 1) % corners]);
      }
    }
    if (screen.empty()) {
      const ON_BoundingBox box = o->BoundingBox();
      if (!box.IsValid()) continue;
      for (int c = 0; c < 8; ++c) {
        ON_3dPoint s;
        if (vp.GetScreenCoordinates(box.Corner(c), s)) screen.push_back(s);
      }
    }
    if (screen.empty()) continue;
    bool all_inside = true, any_inside = false;
    for (const ON_3dPoint& p : screen) {
      const bool inside = p.IsValid() && rect.Contains(p);
      all_inside = all_inside && inside;
      any_inside = any_inside || inside;
    }
    bool taken = crossing ? any_inside : all_inside;
    const int count = static_cast<int>(screen.size());
    for (std::size_t e = 0; crossing && !taken && e < edges.size(); ++e) {
      const auto [a, b] = edges[e];
      if (a < 0 || b < 0 || a >= count || b >= count) continue;
      if (screen[static_cast<std::size_t>(a)].IsValid() &&
          screen[static_cast<std::size_t>(b)].IsValid())
        taken = rect.Crosses(screen[static_cast<std::size_t>(a)], screen[static_cast<std::size_t>(b)]);
    }
    if (taken) out.push_back(o);
  }
  if (crossing)
    if (CRhinoObject* middle = PickOne(view, (x0 + x1) / 2, (y0 + y1) / 2))
      if (std::find(out.begin(), out.end(), middle) == out.end()) out.push_back(middle);
  return out;
}

std::string FormatPoint(const ON_3dPoint& p) {
  char text[128];
  std::snprintf(text, sizeof text, "%.6g,%.6g,%.6g", p.x, p.y, p.z);
  return text;
}

} // namespace

ON_3dPoint ConstructionPlanePoint(const ON_Viewport& vp, double x, double y) {
  ON_Line line;
  if (!vp.GetFrustumLine(x, y, line)) return TargetOf(vp);
  const double dz = line.to.z - line.from.z;
  if (std::fabs(dz) > 1e-9 * line.Length()) {
    const double t = -line.from.z / dz;
    if (t >= -1e6 && t <= 1e6) return line.from + (line.to - line.from) * t;
  }
  return PointAtTargetDepth(vp, x, y);
}

bool WaitsForPoint(const std::wstring& prompt) {
  return prompt != L"Command:" && !prompt.empty() && prompt.rfind(L"Select", 0) != 0;
}

std::optional<ON_3dPoint> ParsePoint(const std::string& text) {
  double x = 0, y = 0, z = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%lf,%lf,%lf%c", &x, &y, &z, &extra) == 3)
    return ON_3dPoint(x, y, z);
  if (std::sscanf(text.c_str(), "%lf,%lf%c", &x, &y, &extra) == 2) return ON_3dPoint(x, y, 0);
  return std::nullopt;
}

std::optional<std::string> ViewInput::Press(CRhinoView& view, Button button, const ViewMouse& at,
                                            int clicks, const std::wstring& prompt) {
  if (button == middle && clicks >= 2) {
    view.ZoomExtents();
    view.Redraw();
    button_ = 0;
    return std::nullopt;
  }
  button_ = button;
  down_ = last_ = at;
  moved_ = false;
  answered_on_press_ = button == left && WaitsForPoint(prompt);
  if (!answered_on_press_) return std::nullopt;
  return FormatPoint(ConstructionPlanePoint(view.Viewport().VP(), at.x, at.y));
}

void ViewInput::Move(CRhinoView& view, const ViewMouse& at) {
  cursor_ = at;
  has_cursor_ = true;
  if (button_ == 0) return;
  if (std::abs(at.x - down_.x) > kDragThreshold || std::abs(at.y - down_.y) > kDragThreshold)
    moved_ = true;
  const int dx = at.x - last_.x, dy = at.y - last_.y;
  if ((button_ == right || button_ == middle) && (dx != 0 || dy != 0)) {
    if (button_ == middle || at.shift)
      Pan(view, dx, dy);
    else
      Orbit(view, dx, dy);
  }
  last_ = at;
}

std::optional<std::string> ViewInput::Release(CRhinoView& view, Button button, const ViewMouse& at,
                                              const std::wstring& prompt) {
  if (button != button_) return std::nullopt;
  button_ = 0;
  if (button != left) return std::nullopt;
  if (answered_on_press_) {
    answered_on_press_ = false;
    // A drag from one point to another: the release is the second point.
    if (moved_ && WaitsForPoint(prompt))
      return FormatPoint(ConstructionPlanePoint(view.Viewport().VP(), at.x, at.y));
    return std::nullopt;
  }
  if (!moved_) {
    if (WaitsForPoint(prompt)) return std::nullopt;
    CRhinoObject* picked = PickOne(view, at.x, at.y);
    if (WaitsForObjects(prompt)) {
      if (!picked) return std::nullopt;
      return "\"" +
             kyrel::platform::WideToUtf8(ON_UuidToString(picked->ModelObjectId()).Array()) + "\"";
    }
    std::vector<CRhinoObject*> picked_list;
    if (picked) picked_list.push_back(picked);
    ApplySelection(view, picked_list, at);
    return std::nullopt;
  }
  if (prompt != L"Command:" && !WaitsForObjects(prompt)) return std::nullopt;
  // Dragged to the right: a window; to the left: a crossing.
  const bool crossing = at.x < down_.x;
  ViewMouse modifiers = at;
  ApplySelection(view, InRectangle(view, down_.x, down_.y, at.x, at.y, crossing), modifiers);
  return std::nullopt;
}

void ViewInput::Wheel(CRhinoView& view, const ViewMouse& at, double steps) {
  ZoomAt(view, at.x, at.y, steps);
}

bool ViewInput::SelectionRectangle(int& x0, int& y0, int& x1, int& y1) const {
  if (button_ != left || !moved_ || answered_on_press_) return false;
  x0 = down_.x;
  y0 = down_.y;
  x1 = last_.x;
  y1 = last_.y;
  return true;
}

bool ViewInput::CursorPoint(const CRhinoView& view, ON_3dPoint& point) const {
  if (!has_cursor_) return false;
  point = ConstructionPlanePoint(view.Viewport().VP(), cursor_.x, cursor_.y);
  return true;
}

} // namespace kyrel::window
