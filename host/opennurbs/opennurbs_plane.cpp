#include "opennurbs_plane.h"

#include <cmath>

#include "opennurbs_xform.h"

const ON_Plane ON_Plane::World_xy;

// ---- ON_PlaneEquation ----

bool ON_PlaneEquation::Create(const ON_3dPoint& p, const ON_3dVector& n) {
  ON_3dVector u = n;
  if (!p.IsValid() || !u.Unitize()) return false;
  x = u.x;
  y = u.y;
  z = u.z;
  d = -(u * ON_3dVector(p));
  return true;
}

bool ON_PlaneEquation::IsValid() const {
  return std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && std::isfinite(d) &&
         (x != 0.0 || y != 0.0 || z != 0.0);
}

double ON_PlaneEquation::DistanceTo(const ON_3dPoint& p) const {
  const double len = Normal().Length();
  if (!(len > 0.0)) return ON_UNSET_VALUE;
  return ValueAt(p) / len;
}

bool ON_PlaneEquation::Unitize() {
  const double len = Normal().Length();
  if (!(len > 0.0) || !std::isfinite(len)) return false;
  x /= len;
  y /= len;
  z /= len;
  d /= len;
  return true;
}

bool ON_PlaneEquation::Transform(const ON_Xform& xform) {
  // A point q lies on the plane when e . q = 0 (q homogeneous). With
  // q' = M q the plane becomes e' = e M^-1 (a row vector).
  ON_Xform inv(xform);
  if (!inv.Invert()) return false;
  const double e[4] = {x, y, z, d};
  double r[4];
  for (int j = 0; j < 4; ++j) {
    r[j] = 0.0;
    for (int i = 0; i < 4; ++i)
      r[j] += e[i] * inv.m_xform[i][j];
  }
  x = r[0];
  y = r[1];
  z = r[2];
  d = r[3];
  return true;
}

// ---- ON_Plane ----

ON_Plane::ON_Plane(const ON_3dPoint& o, const ON_3dVector& n) {
  CreateFromNormal(o, n);
}

ON_Plane::ON_Plane(const ON_3dPoint& p0, const ON_3dPoint& p1, const ON_3dPoint& p2) {
  CreateFromPoints(p0, p1, p2);
}

bool ON_Plane::CreateFromNormal(const ON_3dPoint& o, const ON_3dVector& n) {
  origin = o;
  zaxis = n;
  if (!o.IsValid() || !zaxis.Unitize()) {
    xaxis = yaxis = zaxis = ON_3dVector::ZeroVector;
    plane_equation = ON_PlaneEquation();
    return false;
  }
  xaxis.PerpendicularTo(zaxis);
  yaxis = ON_CrossProduct(zaxis, xaxis);
  yaxis.Unitize();
  return UpdateEquation();
}

bool ON_Plane::CreateFromPoints(const ON_3dPoint& p0, const ON_3dPoint& p1, const ON_3dPoint& p2) {
  origin = p0;
  const ON_3dVector e1 = p1 - p0;
  const ON_3dVector e2 = p2 - p0;
  zaxis = ON_CrossProduct(e1, e2);
  xaxis = e1;
  if (p0.IsValid() && p1.IsValid() && p2.IsValid() && zaxis.Unitize() && xaxis.Unitize()) {
    yaxis = ON_CrossProduct(zaxis, xaxis);
    yaxis.Unitize();
    return UpdateEquation();
  }
  // No plane. Remember the line (or point) the corners span in xaxis so
  // DistanceTo can still measure against the degenerate face.
  zaxis = yaxis = ON_3dVector::ZeroVector;
  xaxis = e1.LengthSquared() >= e2.LengthSquared() ? e1 : e2;
  if (!xaxis.Unitize()) xaxis = ON_3dVector::ZeroVector;
  plane_equation = ON_PlaneEquation(0.0, 0.0, 0.0, 0.0);
  return false;
}

bool ON_Plane::CreateFromFrame(const ON_3dPoint& o, const ON_3dVector& xdir,
                               const ON_3dVector& ydir) {
  origin = o;
  xaxis = xdir;
  if (!xaxis.Unitize()) return false;
  // Gram-Schmidt so the frame is orthonormal even if ydir is not exactly
  // perpendicular.
  yaxis = ydir - xaxis * (xaxis * ydir);
  if (!yaxis.Unitize()) return false;
  zaxis = ON_CrossProduct(xaxis, yaxis);
  zaxis.Unitize();
  return UpdateEquation();
}

bool ON_Plane::CreateFromEquation(const ON_PlaneEquation& eq) {
  ON_PlaneEquation e(eq);
  if (!e.Unitize()) return false;
  const ON_3dVector n = e.Normal();
  return CreateFromNormal(ON_3dPoint(n * -e.d), n);
}

bool ON_Plane::UpdateEquation() {
  return plane_equation.Create(origin, zaxis);
}

bool ON_Plane::IsValid() const {
  return origin.IsValid() && plane_equation.IsValid() && std::fabs(zaxis.Length() - 1.0) < 1e-8;
}

double ON_Plane::DistanceTo(const ON_3dPoint& p) const {
  if (IsValid()) return (p - origin) * zaxis;
  // Degenerate: distance to the spanned line, or to the point.
  const ON_3dVector v = p - origin;
  if (xaxis.IsZero()) return v.Length();
  return (v - xaxis * (v * xaxis)).Length();
}

ON_3dPoint ON_Plane::ClosestPointTo(const ON_3dPoint& p) const {
  if (!IsValid()) return origin;
  return p - zaxis * DistanceTo(p);
}

bool ON_Plane::ClosestPointTo(const ON_3dPoint& p, double* s, double* t) const {
  if (!IsValid()) return false;
  const ON_3dVector v = p - origin;
  if (s) *s = v * xaxis;
  if (t) *t = v * yaxis;
  return true;
}

bool ON_Plane::Transform(const ON_Xform& xform) {
  if (!IsValid()) return false;
  const ON_3dPoint o = xform * origin;
  const ON_3dPoint px = xform * (origin + xaxis);
  const ON_3dPoint py = xform * (origin + yaxis);
  ON_Plane r;
  if (!r.CreateFromFrame(o, px - o, py - o)) return false;
  // A reflection keeps the frame right-handed by flipping the normal side;
  // follow the transformed normal direction instead.
  ON_PlaneEquation e = plane_equation;
  if (e.Transform(xform) && e.Normal() * r.zaxis < 0.0) r.Flip();
  *this = r;
  return true;
}

void ON_Plane::Flip() {
  std::swap(xaxis, yaxis);
  zaxis = -zaxis;
  UpdateEquation();
}

// ---- ON_Line ----

ON_3dPoint ON_Line::PointAt(double t) const {
  const double s = 1.0 - t;
  return {(from.x == to.x) ? from.x : s * from.x + t * to.x,
          (from.y == to.y) ? from.y : s * from.y + t * to.y,
          (from.z == to.z) ? from.z : s * from.z + t * to.z};
}

bool ON_Line::ClosestPointTo(const ON_3dPoint& p, double* t) const {
  const ON_3dVector d = to - from;
  const double dd = d * d;
  if (!(dd > 0.0)) return false;
  if (t) *t = ((p - from) * d) / dd;
  return true;
}

ON_3dPoint ON_Line::ClosestPointTo(const ON_3dPoint& p) const {
  double t = 0.0;
  return ClosestPointTo(p, &t) ? PointAt(t) : from;
}

double ON_Line::DistanceTo(const ON_3dPoint& p) const {
  return p.DistanceTo(ClosestPointTo(p));
}

ON_BoundingBox ON_Line::BoundingBox() const {
  ON_BoundingBox b;
  b.Set(from, false);
  b.Set(to, true);
  return b;
}

bool ON_Line::Transform(const ON_Xform& xform) {
  from = xform * from;
  to = xform * to;
  return true;
}

// ---- intersection ----

bool ON_Intersect(const ON_Line& line, const ON_PlaneEquation& plane, double* line_parameter) {
  if (!plane.IsValid()) return false;
  ON_PlaneEquation e(plane);
  e.Unitize();
  const double a = e.ValueAt(line.from);
  const double b = e.ValueAt(line.to);
  const double denom = a - b; // change of signed distance from 0 to 1
  const double len = line.Length();
  if (!(len > 0.0) || !std::isfinite(denom) || std::fabs(denom) <= ON_ZERO_TOLERANCE * len)
    return false;
  if (line_parameter) *line_parameter = a / denom;
  return true;
}

bool ON_Intersect(const ON_Line& line, const ON_Plane& plane, double* line_parameter) {
  if (!plane.IsValid()) return false;
  return ON_Intersect(line, plane.plane_equation, line_parameter);
}
