#include "opennurbs_xform.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "opennurbs_plane.h"

const ON_Xform ON_Xform::IdentityTransformation(1.0);
const ON_Xform ON_Xform::ZeroTransformation(0.0);

ON_Xform::ON_Xform() {
  Identity();
}

ON_Xform::ON_Xform(double d) {
  Zero();
  m_xform[0][0] = m_xform[1][1] = m_xform[2][2] = m_xform[3][3] = d;
}

ON_Xform::ON_Xform(const double m[4][4]) {
  std::memcpy(m_xform, m, sizeof(m_xform));
}

void ON_Xform::Identity() {
  *this = ON_Xform(1.0);
}

void ON_Xform::Zero() {
  std::memset(m_xform, 0, sizeof(m_xform));
}

ON_Xform ON_Xform::operator*(const ON_Xform& rhs) const {
  ON_Xform r(0.0);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0.0;
      for (int k = 0; k < 4; ++k)
        s += m_xform[i][k] * rhs.m_xform[k][j];
      r.m_xform[i][j] = s;
    }
  return r;
}

ON_3dPoint ON_Xform::operator*(const ON_3dPoint& p) const {
  const double* m0 = m_xform[0];
  const double* m1 = m_xform[1];
  const double* m2 = m_xform[2];
  const double* m3 = m_xform[3];
  const double x = m0[0] * p.x + m0[1] * p.y + m0[2] * p.z + m0[3];
  const double y = m1[0] * p.x + m1[1] * p.y + m1[2] * p.z + m1[3];
  const double z = m2[0] * p.x + m2[1] * p.y + m2[2] * p.z + m2[3];
  const double w = m3[0] * p.x + m3[1] * p.y + m3[2] * p.z + m3[3];
  if (w == 1.0 || w == 0.0) return {x, y, z};
  return {x / w, y / w, z / w};
}

ON_4dPoint ON_Xform::operator*(const ON_4dPoint& p) const {
  double r[4];
  for (int i = 0; i < 4; ++i)
    r[i] = m_xform[i][0] * p.x + m_xform[i][1] * p.y + m_xform[i][2] * p.z + m_xform[i][3] * p.w;
  return {r[0], r[1], r[2], r[3]};
}

ON_3dVector ON_Xform::operator*(const ON_3dVector& v) const {
  return {m_xform[0][0] * v.x + m_xform[0][1] * v.y + m_xform[0][2] * v.z,
          m_xform[1][0] * v.x + m_xform[1][1] * v.y + m_xform[1][2] * v.z,
          m_xform[2][0] * v.x + m_xform[2][1] * v.y + m_xform[2][2] * v.z};
}

bool ON_Xform::operator==(const ON_Xform& rhs) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m_xform[i][j] != rhs.m_xform[i][j]) return false;
  return true;
}

bool ON_Xform::IsIdentity(double zero_tolerance) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (std::fabs(m_xform[i][j] - (i == j ? 1.0 : 0.0)) > zero_tolerance) return false;
  return true;
}

bool ON_Xform::IsValid() const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!ON_IsValid(m_xform[i][j])) return false;
  return true;
}

bool ON_Xform::IsAffine() const {
  return m_xform[3][0] == 0.0 && m_xform[3][1] == 0.0 && m_xform[3][2] == 0.0 &&
         m_xform[3][3] == 1.0;
}

namespace {

// LU with partial pivoting; returns the determinant and leaves a in LU form.
double LuDeterminant(double a[4][4]) {
  double det = 1.0;
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    if (a[p][c] == 0.0) return 0.0;
    if (p != c) {
      for (int k = 0; k < 4; ++k)
        std::swap(a[p][k], a[c][k]);
      det = -det;
    }
    det *= a[c][c];
    for (int r = c + 1; r < 4; ++r) {
      const double f = a[r][c] / a[c][c];
      for (int k = c; k < 4; ++k)
        a[r][k] -= f * a[c][k];
    }
  }
  return det;
}

} // namespace

double ON_Xform::Determinant() const {
  double a[4][4];
  std::memcpy(a, m_xform, sizeof(a));
  return LuDeterminant(a);
}

bool ON_Xform::Invert() {
  // Gauss-Jordan with partial pivoting on [M | I].
  double a[4][8];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      a[i][j] = m_xform[i][j];
      a[i][j + 4] = (i == j) ? 1.0 : 0.0;
    }
  double maxabs = 0.0;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      maxabs = std::fmax(maxabs, std::fabs(m_xform[i][j]));
  if (!(maxabs > 0.0) || !std::isfinite(maxabs)) return false;
  const double tiny = maxabs * 1.0e-14;
  for (int c = 0; c < 4; ++c) {
    int p = c;
    for (int r = c + 1; r < 4; ++r)
      if (std::fabs(a[r][c]) > std::fabs(a[p][c])) p = r;
    if (std::fabs(a[p][c]) <= tiny) return false;
    if (p != c)
      for (int k = 0; k < 8; ++k)
        std::swap(a[p][k], a[c][k]);
    const double inv = 1.0 / a[c][c];
    for (int k = 0; k < 8; ++k)
      a[c][k] *= inv;
    for (int r = 0; r < 4; ++r) {
      if (r == c || a[r][c] == 0.0) continue;
      const double f = a[r][c];
      for (int k = 0; k < 8; ++k)
        a[r][k] -= f * a[c][k];
    }
  }
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      m_xform[i][j] = a[i][j + 4];
  return true;
}

ON_Xform ON_Xform::Inverse() const {
  ON_Xform x(*this);
  if (!x.Invert()) x.Zero();
  return x;
}

void ON_Xform::Transpose() {
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      std::swap(m_xform[i][j], m_xform[j][i]);
}

void ON_Xform::Translation(const ON_3dVector& d) {
  Identity();
  m_xform[0][3] = d.x;
  m_xform[1][3] = d.y;
  m_xform[2][3] = d.z;
}

void ON_Xform::Scale(double s) {
  Identity();
  m_xform[0][0] = m_xform[1][1] = m_xform[2][2] = s;
}

void ON_Xform::Scale(const ON_3dPoint& c, double s) {
  Scale(s);
  m_xform[0][3] = (1.0 - s) * c.x;
  m_xform[1][3] = (1.0 - s) * c.y;
  m_xform[2][3] = (1.0 - s) * c.z;
}

void ON_Xform::Rotation(double angle, const ON_3dVector& axis_in, const ON_3dPoint& c) {
  Identity();
  ON_3dVector a = axis_in;
  if (!a.Unitize() || !std::isfinite(angle)) return;
  const double cs = std::cos(angle), sn = std::sin(angle), t = 1.0 - cs;
  double r[3][3] = {{t * a.x * a.x + cs, t * a.x * a.y - sn * a.z, t * a.x * a.z + sn * a.y},
                    {t * a.x * a.y + sn * a.z, t * a.y * a.y + cs, t * a.y * a.z - sn * a.x},
                    {t * a.x * a.z - sn * a.y, t * a.y * a.z + sn * a.x, t * a.z * a.z + cs}};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      m_xform[i][j] = r[i][j];
    m_xform[i][3] = c[i] - (r[i][0] * c.x + r[i][1] * c.y + r[i][2] * c.z);
  }
}

void ON_Xform::Rotation(const ON_Plane& p0, const ON_Plane& p1) {
  // World -> plane0 frame coordinates, then frame coordinates -> plane1.
  ON_Xform to_local;
  const ON_3dVector* a0[3] = {&p0.xaxis, &p0.yaxis, &p0.zaxis};
  for (int i = 0; i < 3; ++i) {
    to_local.m_xform[i][0] = a0[i]->x;
    to_local.m_xform[i][1] = a0[i]->y;
    to_local.m_xform[i][2] = a0[i]->z;
    to_local.m_xform[i][3] = -(*a0[i] * ON_3dVector(p0.origin));
  }
  ON_Xform from_local;
  const ON_3dVector* a1[3] = {&p1.xaxis, &p1.yaxis, &p1.zaxis};
  for (int i = 0; i < 3; ++i) {
    from_local.m_xform[0][i] = a1[i]->x;
    from_local.m_xform[1][i] = a1[i]->y;
    from_local.m_xform[2][i] = a1[i]->z;
  }
  from_local.m_xform[0][3] = p1.origin.x;
  from_local.m_xform[1][3] = p1.origin.y;
  from_local.m_xform[2][3] = p1.origin.z;
  *this = from_local * to_local;
}

void ON_Xform::Mirror(const ON_3dPoint& p, const ON_3dVector& normal) {
  Identity();
  ON_3dVector n = normal;
  if (!p.IsValid() || !n.Unitize()) return; // no plane: identity (see header)
  const double d = n * ON_3dVector(p);
  const double nn[3] = {n.x, n.y, n.z};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      m_xform[i][j] = (i == j ? 1.0 : 0.0) - 2.0 * nn[i] * nn[j];
    m_xform[i][3] = 2.0 * d * nn[i];
  }
}

ON_Xform ON_Xform::MirrorTransformation(const ON_3dPoint& p, const ON_3dVector& n) {
  ON_Xform x;
  x.Mirror(p, n);
  return x;
}

ON_Xform ON_Xform::TranslationTransformation(const ON_3dVector& d) {
  ON_Xform x;
  x.Translation(d);
  return x;
}

ON_Xform ON_Xform::ScaleTransformation(const ON_3dPoint& c, double s) {
  ON_Xform x;
  x.Scale(c, s);
  return x;
}

ON_Xform ON_Xform::RotationTransformation(double angle, const ON_3dVector& axis,
                                          const ON_3dPoint& c) {
  ON_Xform x;
  x.Rotation(angle, axis, c);
  return x;
}
