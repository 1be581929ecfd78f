// Camera frame, frustum and port, and the transforms between world,
// camera, clip and screen coordinates.

#include "opennurbs_viewport.h"

#include <algorithm>
#include <cmath>

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_Viewport, ON_Geometry, "64E0B286-B2E4-4D81-BC41-00167E57405C")

ON_Viewport::ON_Viewport() {
  UpdateFrame();
}

bool ON_Viewport::UpdateFrame() {
  ON_3dVector z = -m_direction;
  if (!z.Unitize()) return false;
  ON_3dVector x = ON_CrossProduct(m_up, z);
  if (!x.Unitize()) return false;
  ON_3dVector y = ON_CrossProduct(z, x);
  if (!y.Unitize()) return false;
  m_x = x;
  m_y = y;
  m_z = z;
  return true;
}

bool ON_Viewport::IsValid(ON_TextLog*) const {
  if (!m_location.IsValid() || !m_x.IsUnitVector() || !m_y.IsUnitVector() || !m_z.IsUnitVector())
    return false;
  if (!(m_frus_left < m_frus_right) || !(m_frus_bottom < m_frus_top) || !(m_frus_near < m_frus_far))
    return false;
  if (IsPerspectiveProjection() && !(m_frus_near > 0.0)) return false;
  if (m_projection == ON::unknown_view) return false;
  return std::isfinite(m_frus_left) && std::isfinite(m_frus_right) &&
         std::isfinite(m_frus_bottom) && std::isfinite(m_frus_top) && std::isfinite(m_frus_far);
}

unsigned int ON_Viewport::SizeOf() const {
  return ON_Geometry::SizeOf() +
         static_cast<unsigned int>(sizeof(ON_Viewport) - sizeof(ON_Geometry));
}

bool ON_Viewport::Write(ON_BinaryArchive& a) const {
  const double frus[6] = {m_frus_left, m_frus_right, m_frus_bottom,
                          m_frus_top,  m_frus_near,  m_frus_far};
  return a.WriteInt(static_cast<int>(m_projection)) && a.WritePoint(m_location) &&
         a.WriteVector(m_direction) && a.WriteVector(m_up) && a.WritePoint(m_target) &&
         a.WriteDouble(6, frus) && a.WriteInt(m_port_left) && a.WriteInt(m_port_right) &&
         a.WriteInt(m_port_bottom) && a.WriteInt(m_port_top) && a.WriteInt(m_port_near) &&
         a.WriteInt(m_port_far);
}

bool ON_Viewport::Read(ON_BinaryArchive& a) {
  ON_Viewport vp;
  int proj = 0;
  double frus[6];
  if (!(a.ReadInt(&proj) && a.ReadPoint(vp.m_location) && a.ReadVector(vp.m_direction) &&
        a.ReadVector(vp.m_up) && a.ReadPoint(vp.m_target) && a.ReadDouble(6, frus) &&
        a.ReadInt(&vp.m_port_left) && a.ReadInt(&vp.m_port_right) && a.ReadInt(&vp.m_port_bottom) &&
        a.ReadInt(&vp.m_port_top) && a.ReadInt(&vp.m_port_near) && a.ReadInt(&vp.m_port_far)))
    return false;
  if (proj != ON::parallel_view && proj != ON::perspective_view) return false;
  vp.m_projection = static_cast<ON::view_projection>(proj);
  vp.m_frus_left = frus[0];
  vp.m_frus_right = frus[1];
  vp.m_frus_bottom = frus[2];
  vp.m_frus_top = frus[3];
  vp.m_frus_near = frus[4];
  vp.m_frus_far = frus[5];
  if (!vp.UpdateFrame() || !vp.IsValid()) return false;
  *this = vp;
  return true;
}

bool ON_Viewport::GetBBox(ON_BoundingBox& bbox, bool bGrowBox) const {
  ON_BoundingBox b;
  b.Set(m_location, false);
  ON_Xform c2w;
  if (GetXform(ON::clip_cs, ON::world_cs, c2w)) {
    for (int i = 0; i < 8; ++i)
      b.Set(c2w * ON_3dPoint((i & 1) ? 1.0 : -1.0, (i & 2) ? 1.0 : -1.0, (i & 4) ? 1.0 : -1.0),
            true);
  }
  if (bGrowBox) {
    bbox.Union(b);
  } else {
    bbox = b;
  }
  return bbox.IsValid();
}

bool ON_Viewport::Transform(const ON_Xform& xform) {
  const ON_3dPoint loc = xform * m_location;
  const ON_3dVector dir = (xform * (m_location + m_direction)) - loc;
  const ON_3dVector up = (xform * (m_location + m_up)) - loc;
  ON_Viewport vp(*this);
  vp.m_location = loc;
  vp.m_direction = dir;
  vp.m_up = up;
  if (m_target.IsValid()) vp.m_target = xform * m_target;
  if (!vp.UpdateFrame()) return false;
  *this = vp;
  return ON_Geometry::Transform(xform);
}

// ---- projection ----

bool ON_Viewport::SetProjection(ON::view_projection projection) {
  if (projection == ON::parallel_view) return ChangeToParallelProjection();
  if (projection == ON::perspective_view) return ChangeToPerspectiveProjection(TargetDistance());
  return false;
}

bool ON_Viewport::ChangeToParallelProjection() {
  if (IsParallelProjection()) return true;
  // Scale the near-plane frustum out to the target depth so what is seen
  // there keeps its size.
  const double d = TargetDistance();
  const double s = (d > 0.0 && m_frus_near > 0.0) ? d / m_frus_near : 1.0;
  m_frus_left *= s;
  m_frus_right *= s;
  m_frus_bottom *= s;
  m_frus_top *= s;
  m_projection = ON::parallel_view;
  return true;
}

bool ON_Viewport::ChangeToPerspectiveProjection(double target_distance) {
  if (IsPerspectiveProjection()) return true;
  if (!(target_distance > 0.0) || !std::isfinite(target_distance)) return false;
  double n = m_frus_near, f = m_frus_far;
  if (!(n > 0.0)) n = target_distance * 0.01;
  if (!(f > n)) f = target_distance * 100.0;
  const double s = n / target_distance;
  m_frus_left *= s;
  m_frus_right *= s;
  m_frus_bottom *= s;
  m_frus_top *= s;
  m_frus_near = n;
  m_frus_far = f;
  m_projection = ON::perspective_view;
  return true;
}

// ---- camera ----

bool ON_Viewport::SetCameraLocation(const ON_3dPoint& p) {
  if (!p.IsValid()) return false;
  m_location = p;
  return true;
}

bool ON_Viewport::SetCameraDirection(const ON_3dVector& d) {
  if (!d.IsValid() || d.IsZero()) return false;
  const ON_3dVector old_dir = m_direction, old_up = m_up;
  m_direction = d;
  if (UpdateFrame()) return true;
  // The up vector is parallel to the new direction. Keep the view's "up"
  // as close as possible: the old CameraY, else a world axis.
  for (const ON_3dVector& up : {m_y, ON_3dVector::ZAxis, ON_3dVector::YAxis}) {
    m_up = up;
    if (UpdateFrame()) return true;
  }
  m_direction = old_dir;
  m_up = old_up;
  UpdateFrame();
  return false;
}

bool ON_Viewport::SetCameraUp(const ON_3dVector& u) {
  if (!u.IsValid() || u.IsZero()) return false;
  const ON_3dVector old = m_up;
  m_up = u;
  if (UpdateFrame()) return true;
  m_up = old;
  UpdateFrame();
  return false;
}

bool ON_Viewport::GetCameraFrame(ON_3dPoint& location, ON_3dVector& x, ON_3dVector& y,
                                 ON_3dVector& z) const {
  location = m_location;
  x = m_x;
  y = m_y;
  z = m_z;
  return true;
}

ON_3dPoint ON_Viewport::TargetPoint() const {
  if (m_target.IsValid()) return m_target;
  return m_location - m_z * (0.5 * (m_frus_near + m_frus_far));
}

bool ON_Viewport::SetTargetPoint(const ON_3dPoint& target) {
  if (!target.IsValid()) return false;
  m_target = target;
  return true;
}

double ON_Viewport::TargetDistance() const {
  return (m_location - TargetPoint()) * m_z;
}

// ---- frustum ----

bool ON_Viewport::SetFrustum(double l, double r, double b, double t, double n, double f) {
  if (!(l < r) || !(b < t) || !(n < f)) return false;
  if (!std::isfinite(l) || !std::isfinite(r) || !std::isfinite(b) || !std::isfinite(t) ||
      !std::isfinite(n) || !std::isfinite(f))
    return false;
  if (IsPerspectiveProjection() && !(n > 0.0)) return false;
  m_frus_left = l;
  m_frus_right = r;
  m_frus_bottom = b;
  m_frus_top = t;
  m_frus_near = n;
  m_frus_far = f;
  return true;
}

bool ON_Viewport::GetFrustum(double* l, double* r, double* b, double* t, double* n,
                             double* f) const {
  if (l) *l = m_frus_left;
  if (r) *r = m_frus_right;
  if (b) *b = m_frus_bottom;
  if (t) *t = m_frus_top;
  if (n) *n = m_frus_near;
  if (f) *f = m_frus_far;
  return IsValid();
}

bool ON_Viewport::SetFrustumNearFar(double n, double f) {
  if (!(n < f) || !std::isfinite(n) || !std::isfinite(f)) return false;
  if (IsPerspectiveProjection()) {
    if (!(n > 0.0)) return false;
    const double s = n / m_frus_near; // keep the viewing angles
    m_frus_left *= s;
    m_frus_right *= s;
    m_frus_bottom *= s;
    m_frus_top *= s;
  }
  m_frus_near = n;
  m_frus_far = f;
  return true;
}

bool ON_Viewport::SetFrustumNearFar(const ON_BoundingBox& box) {
  if (!box.IsValid()) return false;
  double dmin = ON_DBL_MAX, dmax = -ON_DBL_MAX;
  for (int i = 0; i < 8; ++i) {
    const double depth = (m_location - box.Corner(i)) * m_z; // distance in front
    dmin = std::min(dmin, depth);
    dmax = std::max(dmax, depth);
  }
  const double margin = std::max(1e-6, 0.01 * (dmax - dmin));
  double n = dmin - margin, f = dmax + margin;
  if (IsPerspectiveProjection()) {
    if (!(f > 0.0)) return false; // wholly behind the camera
    // Depth precision dies as near approaches 0; cap the ratio.
    n = std::max(n, f * 1.0e-4);
  }
  return SetFrustumNearFar(n, f);
}

double ON_Viewport::FrustumAspect() const {
  const double h = FrustumHeight();
  return h > 0.0 ? FrustumWidth() / h : 0.0;
}

bool ON_Viewport::SetFrustumAspect(double aspect) {
  if (!(aspect > 0.0) || !std::isfinite(aspect)) return false;
  const double w = FrustumWidth(), h = FrustumHeight();
  const double cx = 0.5 * (m_frus_left + m_frus_right), cy = 0.5 * (m_frus_bottom + m_frus_top);
  double nw = w, nh = h;
  if (w / h < aspect) {
    nw = h * aspect; // widen
  } else {
    nh = w / aspect; // heighten
  }
  m_frus_left = cx - 0.5 * nw;
  m_frus_right = cx + 0.5 * nw;
  m_frus_bottom = cy - 0.5 * nh;
  m_frus_top = cy + 0.5 * nh;
  return true;
}

// ---- port ----

bool ON_Viewport::SetScreenPort(int l, int r, int b, int t, int n, int f) {
  if (l == r || b == t) return false;
  m_port_left = l;
  m_port_right = r;
  m_port_bottom = b;
  m_port_top = t;
  m_port_near = n;
  m_port_far = f;
  return true;
}

bool ON_Viewport::GetScreenPort(int* l, int* r, int* b, int* t, int* n, int* f) const {
  if (l) *l = m_port_left;
  if (r) *r = m_port_right;
  if (b) *b = m_port_bottom;
  if (t) *t = m_port_top;
  if (n) *n = m_port_near;
  if (f) *f = m_port_far;
  return m_port_left != m_port_right && m_port_bottom != m_port_top;
}

bool ON_Viewport::SetScreenSize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  SetScreenPort(0, width, height, 0, 0, 1);
  return SetFrustumAspect(static_cast<double>(width) / height);
}

int ON_Viewport::ScreenPortWidth() const {
  return std::abs(m_port_right - m_port_left);
}
int ON_Viewport::ScreenPortHeight() const {
  return std::abs(m_port_bottom - m_port_top);
}

// ---- transforms ----

ON_Xform ON_Viewport::WorldToCamera() const {
  ON_Xform x;
  const ON_3dVector* axes[3] = {&m_x, &m_y, &m_z};
  for (int i = 0; i < 3; ++i) {
    x.m_xform[i][0] = axes[i]->x;
    x.m_xform[i][1] = axes[i]->y;
    x.m_xform[i][2] = axes[i]->z;
    x.m_xform[i][3] = -(*axes[i] * ON_3dVector(m_location));
  }
  return x;
}

ON_Xform ON_Viewport::CameraToClip() const {
  const double l = m_frus_left, r = m_frus_right, b = m_frus_bottom, t = m_frus_top;
  const double n = m_frus_near, f = m_frus_far;
  ON_Xform x(0.0);
  if (IsPerspectiveProjection()) {
    x.m_xform[0][0] = 2.0 * n / (r - l);
    x.m_xform[0][2] = (r + l) / (r - l);
    x.m_xform[1][1] = 2.0 * n / (t - b);
    x.m_xform[1][2] = (t + b) / (t - b);
    x.m_xform[2][2] = -(f + n) / (f - n);
    x.m_xform[2][3] = -2.0 * f * n / (f - n);
    x.m_xform[3][2] = -1.0;
  } else {
    x.m_xform[0][0] = 2.0 / (r - l);
    x.m_xform[0][3] = -(r + l) / (r - l);
    x.m_xform[1][1] = 2.0 / (t - b);
    x.m_xform[1][3] = -(t + b) / (t - b);
    x.m_xform[2][2] = -2.0 / (f - n);
    x.m_xform[2][3] = -(f + n) / (f - n);
    x.m_xform[3][3] = 1.0;
  }
  return x;
}

ON_Xform ON_Viewport::ClipToScreen() const {
  ON_Xform x(0.0);
  x.m_xform[0][0] = 0.5 * (m_port_right - m_port_left);
  x.m_xform[0][3] = 0.5 * (m_port_right + m_port_left);
  x.m_xform[1][1] = 0.5 * (m_port_top - m_port_bottom);
  x.m_xform[1][3] = 0.5 * (m_port_top + m_port_bottom);
  x.m_xform[2][2] = 0.5 * (m_port_far - m_port_near);
  x.m_xform[2][3] = 0.5 * (m_port_far + m_port_near);
  x.m_xform[3][3] = 1.0;
  return x;
}

bool ON_Viewport::GetXform(ON::coordinate_system from, ON::coordinate_system to,
                           ON_Xform& xform) const {
  xform.Identity();
  if (!IsValid()) return false;
  if (from < ON::world_cs || from > ON::screen_cs || to < ON::world_cs || to > ON::screen_cs)
    return false;
  if (from == to) return true;
  // Compose forward steps world -> camera -> clip -> screen; a backward
  // request inverts the forward product.
  const ON_Xform steps[3] = {WorldToCamera(), CameraToClip(), ClipToScreen()};
  const int lo = std::min(static_cast<int>(from), static_cast<int>(to));
  const int hi = std::max(static_cast<int>(from), static_cast<int>(to));
  ON_Xform forward;
  for (int s = lo; s < hi; ++s)
    forward = steps[s] * forward;
  xform = forward;
  if (from < to) return true;
  if (xform.Invert()) return true;
  xform.Identity();
  return false;
}

bool ON_Viewport::GetFrustumLine(double sx, double sy, ON_Line& line) const {
  ON_Xform s2w;
  if (!GetXform(ON::screen_cs, ON::world_cs, s2w)) return false;
  ON_Xform s2c;
  if (!GetXform(ON::screen_cs, ON::clip_cs, s2c)) return false;
  const ON_3dPoint c = s2c * ON_3dPoint(sx, sy, 0.0);
  ON_Xform c2w;
  if (!GetXform(ON::clip_cs, ON::world_cs, c2w)) return false;
  const ON_3dPoint p0 = c2w * ON_3dPoint(c.x, c.y, -1.0);
  const ON_3dPoint p1 = c2w * ON_3dPoint(c.x, c.y, 1.0);
  if (!p0.IsValid() || !p1.IsValid() || p0 == p1) return false;
  line = ON_Line(p0, p1);
  return true;
}

bool ON_Viewport::GetScreenCoordinates(const ON_3dPoint& world_point,
                                       ON_3dPoint& screen_point) const {
  ON_Xform w2s;
  if (!GetXform(ON::world_cs, ON::screen_cs, w2s)) return false;
  const ON_4dPoint h = w2s * ON_4dPoint(world_point);
  if (h.w == 0.0) return false;
  screen_point = h.Euclidean();
  return true;
}

double ON_Viewport::WorldUnitsPerPixel(double depth) const {
  const int h = ScreenPortHeight();
  if (h <= 0) return 0.0;
  double height = FrustumHeight();
  if (IsPerspectiveProjection()) height *= depth / m_frus_near;
  return std::fabs(height) / h;
}

// ---- framing ----

bool ON_Viewport::DollyExtents(const ON_BoundingBox& box, double border) {
  if (!box.IsValid() || !IsValid()) return false;
  if (!(border >= 1.0) || !std::isfinite(border)) border = 1.0;
  const ON_3dPoint center = box.Center();
  double radius = 0.5 * box.Diagonal().Length() * border;
  if (!(radius > 0.0)) radius = 1.0e-3; // a point: frame a tiny sphere
  const ON_3dVector view_dir = -m_z;
  if (IsPerspectiveProjection()) {
    // Fit the bounding sphere inside the narrowest half angle.
    const double half =
        std::min({-m_frus_left, m_frus_right, -m_frus_bottom, m_frus_top}) / m_frus_near;
    if (!(half > 0.0)) return false;
    const double sin_half = half / std::sqrt(1.0 + half * half);
    const double dist = radius / sin_half;
    m_location = center - view_dir * dist;
    m_target = center;
    const double far_dist = dist + radius * 1.01;
    const double near_dist = std::max(dist - radius * 1.01, far_dist * 1.0e-4);
    return SetFrustumNearFar(near_dist, far_dist);
  }
  // Parallel: back off beyond the box and scale the frustum to the sphere.
  const double dist = 2.0 * radius;
  m_location = center - view_dir * dist;
  m_target = center;
  const double aspect = FrustumAspect();
  double hw = radius, hh = radius;
  if (aspect >= 1.0) {
    hw = radius * aspect;
  } else {
    hh = radius / aspect;
  }
  m_frus_left = -hw;
  m_frus_right = hw;
  m_frus_bottom = -hh;
  m_frus_top = hh;
  m_frus_near = dist - radius * 1.01;
  m_frus_far = dist + radius * 1.01;
  return true;
}
