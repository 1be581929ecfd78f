#include "opennurbs_bounding_box.h"

#include <algorithm>
#include <cmath>

#include "opennurbs_xform.h"

const ON_BoundingBox ON_BoundingBox::EmptyBoundingBox;

bool ON_BoundingBox::IsValid() const {
  return m_min.IsValid() && m_max.IsValid() && m_min.x <= m_max.x && m_min.y <= m_max.y &&
         m_min.z <= m_max.z;
}

double ON_BoundingBox::Volume() const {
  if (!IsValid()) return 0.0;
  const ON_3dVector d = Diagonal();
  return d.x * d.y * d.z;
}

ON_3dPoint ON_BoundingBox::Corner(int i) const {
  return {(i & 1) ? m_max.x : m_min.x, (i & 2) ? m_max.y : m_min.y, (i & 4) ? m_max.z : m_min.z};
}

bool ON_BoundingBox::GetCorners(ON_3dPoint corners[8]) const {
  if (!IsValid() || corners == nullptr) return false;
  for (int i = 0; i < 8; ++i)
    corners[i] = Corner(i);
  return true;
}

void ON_BoundingBox::Set(const ON_3dPoint& p, bool grow) {
  if (!p.IsValid()) return;
  if (!grow || !IsValid()) {
    m_min = m_max = p;
    return;
  }
  m_min = {std::min(m_min.x, p.x), std::min(m_min.y, p.y), std::min(m_min.z, p.z)};
  m_max = {std::max(m_max.x, p.x), std::max(m_max.y, p.y), std::max(m_max.z, p.z)};
}

namespace {

// The box of the valid points, in one tight pass (a mesh's box is asked of
// a million points), then joined to the box as Set(point, true) one by one
// would: an invalid box is replaced, a valid one grown.
template <class Point> bool GrowByPoints(ON_BoundingBox& box, int count, const Point* points) {
  if (points == nullptr) return box.IsValid();
  auto valid = [](double x) { return std::isfinite(x) && x != ON_UNSET_VALUE; };
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  bool any = false;
  for (int i = 0; i < count; ++i) {
    const double p[3] = {points[i].x, points[i].y, points[i].z};
    if (!valid(p[0]) || !valid(p[1]) || !valid(p[2])) continue;
    any = true;
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], p[k]);
      hi[k] = std::max(hi[k], p[k]);
    }
  }
  if (any) {
    box.Set(ON_3dPoint(lo[0], lo[1], lo[2]), true);
    box.Set(ON_3dPoint(hi[0], hi[1], hi[2]), true);
  }
  return box.IsValid();
}

} // namespace

bool ON_BoundingBox::Set(int count, const ON_3dPoint* points, bool grow) {
  if (!grow) Destroy();
  return GrowByPoints(*this, count, points);
}

bool ON_BoundingBox::Set(int count, const ON_3fPoint* points, bool grow) {
  if (!grow) Destroy();
  return GrowByPoints(*this, count, points);
}

bool ON_BoundingBox::IsPointIn(const ON_3dPoint& p, bool strictly_in) const {
  if (!IsValid()) return false;
  if (strictly_in)
    return p.x > m_min.x && p.x < m_max.x && p.y > m_min.y && p.y < m_max.y && p.z > m_min.z &&
           p.z < m_max.z;
  return p.x >= m_min.x && p.x <= m_max.x && p.y >= m_min.y && p.y <= m_max.y && p.z >= m_min.z &&
         p.z <= m_max.z;
}

bool ON_BoundingBox::IsPointInWithTolerance(const ON_3dPoint& p, double tol) const {
  if (!IsValid()) return false;
  if (!(tol >= 0.0)) tol = 0.0;
  return p.x >= m_min.x - tol && p.x <= m_max.x + tol && p.y >= m_min.y - tol &&
         p.y <= m_max.y + tol && p.z >= m_min.z - tol && p.z <= m_max.z + tol;
}

bool ON_BoundingBox::Union(const ON_BoundingBox& other) {
  if (!other.IsValid()) return IsValid();
  if (!IsValid()) {
    *this = other;
    return true;
  }
  m_min = {std::min(m_min.x, other.m_min.x), std::min(m_min.y, other.m_min.y),
           std::min(m_min.z, other.m_min.z)};
  m_max = {std::max(m_max.x, other.m_max.x), std::max(m_max.y, other.m_max.y),
           std::max(m_max.z, other.m_max.z)};
  return true;
}

bool ON_BoundingBox::Union(const ON_BoundingBox& a, const ON_BoundingBox& b) {
  ON_BoundingBox r(a);
  const bool ok = r.Union(b);
  *this = r;
  return ok;
}

bool ON_BoundingBox::Intersects(const ON_BoundingBox& o) const {
  if (!IsValid() || !o.IsValid()) return false;
  return m_min.x <= o.m_max.x && o.m_min.x <= m_max.x && m_min.y <= o.m_max.y &&
         o.m_min.y <= m_max.y && m_min.z <= o.m_max.z && o.m_min.z <= m_max.z;
}

bool ON_BoundingBox::Intersection(const ON_BoundingBox& other) {
  if (!Intersects(other)) {
    Destroy();
    return false;
  }
  m_min = {std::max(m_min.x, other.m_min.x), std::max(m_min.y, other.m_min.y),
           std::max(m_min.z, other.m_min.z)};
  m_max = {std::min(m_max.x, other.m_max.x), std::min(m_max.y, other.m_max.y),
           std::min(m_max.z, other.m_max.z)};
  return true;
}

bool ON_BoundingBox::Intersection(const ON_BoundingBox& a, const ON_BoundingBox& b) {
  ON_BoundingBox r(a);
  const bool ok = r.Intersection(b);
  *this = r;
  return ok;
}

bool ON_BoundingBox::Includes(const ON_BoundingBox& o, bool proper_subset) const {
  if (!IsValid() || !o.IsValid()) return false;
  const bool in = IsPointIn(o.m_min) && IsPointIn(o.m_max);
  if (!in || !proper_subset) return in;
  return !(m_min == o.m_min && m_max == o.m_max);
}

bool ON_BoundingBox::Transform(const ON_Xform& xform) {
  if (!IsValid()) return false;
  ON_BoundingBox r;
  for (int i = 0; i < 8; ++i)
    r.Set(xform * Corner(i), true);
  if (!r.IsValid()) return false;
  *this = r;
  return true;
}

void ON_BoundingBox::Inflate(double delta) {
  Inflate(delta, delta, delta);
}

void ON_BoundingBox::Inflate(double dx, double dy, double dz) {
  if (!IsValid()) return;
  m_min -= ON_3dVector(dx, dy, dz);
  m_max += ON_3dVector(dx, dy, dz);
  if (!IsValid()) Destroy(); // deflated past empty
}

ON_3dPoint ON_BoundingBox::ClosestPoint(const ON_3dPoint& p) const {
  if (!IsValid()) return ON_3dPoint::UnsetPoint;
  return {std::clamp(p.x, m_min.x, m_max.x), std::clamp(p.y, m_min.y, m_max.y),
          std::clamp(p.z, m_min.z, m_max.z)};
}

double ON_BoundingBox::MinimumDistanceTo(const ON_3dPoint& p) const {
  if (!IsValid()) return ON_UNSET_VALUE;
  return p.DistanceTo(ClosestPoint(p));
}

ON_BoundingBox ON_BoundingBoxUnion(const ON_BoundingBox& a, const ON_BoundingBox& b) {
  ON_BoundingBox r(a);
  r.Union(b);
  return r;
}
