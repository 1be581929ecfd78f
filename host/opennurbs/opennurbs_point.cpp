#include "opennurbs_point.h"

#include <algorithm>
#include <cmath>

const ON_3dPoint ON_3dPoint::Origin(0.0, 0.0, 0.0);
const ON_3dPoint ON_3dPoint::UnsetPoint(ON_UNSET_VALUE, ON_UNSET_VALUE, ON_UNSET_VALUE);
const ON_3dVector ON_3dVector::ZeroVector(0.0, 0.0, 0.0);
const ON_3dVector ON_3dVector::XAxis(1.0, 0.0, 0.0);
const ON_3dVector ON_3dVector::YAxis(0.0, 1.0, 0.0);
const ON_3dVector ON_3dVector::ZAxis(0.0, 0.0, 1.0);

bool ON_IsValid(double x) {
  return std::isfinite(x) && x != ON_UNSET_VALUE;
}

double ON_3dPoint::DistanceTo(const ON_3dPoint& p) const {
  return (p - *this).Length();
}

double ON_3dPoint::MaximumCoordinate() const {
  return std::max({std::fabs(x), std::fabs(y), std::fabs(z)});
}

double ON_3dVector::Length() const {
  // hypot-style scaling keeps huge and tiny vectors from overflowing.
  const double m = std::max({std::fabs(x), std::fabs(y), std::fabs(z)});
  if (m == 0.0 || !std::isfinite(m)) return m;
  const double a = x / m, b = y / m, c = z / m;
  return m * std::sqrt(a * a + b * b + c * c);
}

bool ON_3dVector::Unitize() {
  const double len = Length();
  if (!(len > 0.0) || !std::isfinite(len)) return false;
  x /= len;
  y /= len;
  z /= len;
  return true;
}

ON_3dVector ON_3dVector::UnitVector() const {
  ON_3dVector v(*this);
  return v.Unitize() ? v : ZeroVector;
}

bool ON_3dVector::IsTiny(double tiny_tol) const {
  return std::fabs(x) <= tiny_tol && std::fabs(y) <= tiny_tol && std::fabs(z) <= tiny_tol;
}

bool ON_3dVector::IsUnitVector() const {
  return std::fabs(Length() - 1.0) <= 1.0e-8;
}

bool ON_3dVector::PerpendicularTo(const ON_3dVector& v) {
  // Cross with the axis least aligned with v for the best conditioning.
  const double ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
  ON_3dVector axis = (ax <= ay && ax <= az) ? XAxis : (ay <= az ? YAxis : ZAxis);
  ON_3dVector p = ON_CrossProduct(v, axis);
  if (!p.Unitize()) return false;
  *this = p;
  return true;
}

double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return a * b;
}

ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

ON_3dPoint ON_4dPoint::Euclidean() const {
  if (w == 0.0) return {x, y, z};
  return {x / w, y / w, z / w};
}
