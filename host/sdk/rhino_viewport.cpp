#include "rhino_viewport.h"

#include <algorithm>
#include <cmath>

CRhinoViewport::CRhinoViewport() = default;

CRhinoViewport::CRhinoViewport(const ON_Viewport& vp) : m_vp(vp) {}

bool CRhinoViewport::SetVP(const ON_Viewport& vp, bool bKeepScreenPort) {
  if (!vp.IsValid()) return false;
  const int w = m_vp.ScreenPortWidth(), h = m_vp.ScreenPortHeight();
  m_vp = vp;
  if (bKeepScreenPort && w > 0 && h > 0) m_vp.SetScreenSize(w, h);
  ++m_change_count;
  return true;
}

bool CRhinoViewport::SetTarget(const ON_3dPoint& target, bool bMoveCamera) {
  if (!target.IsValid()) return false;
  if (bMoveCamera) {
    const ON_3dVector shift = target - m_vp.TargetPoint();
    if (!m_vp.SetCameraLocation(m_vp.CameraLocation() + shift)) return false;
  }
  if (!m_vp.SetTargetPoint(target)) return false;
  ++m_change_count;
  return true;
}

bool CRhinoViewport::SetScreenSize(int width, int height) {
  if (width < 1 || height < 1) return false;
  if (!m_vp.SetScreenSize(width, height)) return false;
  ++m_change_count;
  return true;
}

bool CRhinoViewport::ZoomExtents(const ON_BoundingBox& world_box) {
  if (!world_box.IsValid()) return false;
  ON_Viewport vp(m_vp);
  if (!vp.DollyExtents(world_box)) return false;
  m_vp = vp;
  ++m_change_count;
  return true;
}

bool RhinoDollyExtents(const ON_Viewport& current_vp, const ON_BoundingBox& camera_box,
                       ON_Viewport& zoomed_vp) {
  if (!camera_box.IsValid() || !current_vp.IsValid()) return false;
  const double border = 1.1;
  double left = 0, right = 0, bottom = 0, top = 0, n = 0, f = 0;
  if (!current_vp.GetFrustum(&left, &right, &bottom, &top, &n, &f)) return false;
  if (!(right > left) || !(top > bottom)) return false;

  // Work in the current camera frame: the box centre goes on the view axis.
  const ON_3dPoint c = camera_box.Center();
  const double hx = 0.5 * (camera_box.m_max.x - camera_box.m_min.x) * border;
  const double hy = 0.5 * (camera_box.m_max.y - camera_box.m_min.y) * border;
  const double hz = 0.5 * (camera_box.m_max.z - camera_box.m_min.z);
  const ON_3dVector X = current_vp.CameraX(), Y = current_vp.CameraY(), Z = current_vp.CameraZ();
  const ON_3dPoint loc = current_vp.CameraLocation();

  ON_Viewport vp(current_vp);
  double cam_z = 0.0; // new camera position along camera z, in current camera coordinates
  if (current_vp.IsPerspectiveProjection()) {
    // Distance from the box's near face that makes both half extents fit
    // the narrower half angle of the frustum.
    const double tan_x = std::min(std::fabs(left), std::fabs(right)) / n;
    const double tan_y = std::min(std::fabs(bottom), std::fabs(top)) / n;
    if (!(tan_x > 0.0) || !(tan_y > 0.0)) return false;
    const double d = std::max(hx / tan_x, hy / tan_y);
    cam_z = camera_box.m_max.z + std::max(d, 1e-6);
  } else {
    const double aspect = (right - left) / (top - bottom);
    double half_w = std::max(hx, hy * aspect);
    if (!(half_w > 0.0)) half_w = 1.0;
    const double half_h = half_w / aspect;
    cam_z = camera_box.m_max.z + std::max(hz, 1.0);
    if (!vp.SetFrustum(-half_w, half_w, -half_h, half_h, n, f)) return false;
  }
  const ON_3dPoint new_loc = loc + X * c.x + Y * c.y + Z * cam_z;
  const ON_3dPoint target = loc + X * c.x + Y * c.y + Z * c.z;
  if (!vp.SetCameraLocation(new_loc)) return false;
  // Near and far around the box: from just before its front to its back.
  const double depth_front = cam_z - camera_box.m_max.z;
  const double depth_back = cam_z - camera_box.m_min.z;
  double near_dist =
      current_vp.IsPerspectiveProjection() ? std::max(depth_front * 0.5, 1e-3) : depth_front * 0.5;
  double far_dist = std::max(depth_back * 1.5, near_dist * 2.0 + 1e-3);
  if (!vp.SetFrustumNearFar(near_dist, far_dist)) return false;
  vp.SetTargetPoint(target);
  zoomed_vp = vp;
  return true;
}
