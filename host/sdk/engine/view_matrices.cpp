#include "view_matrices.h"

#include <cmath>
#include <cstdlib>

namespace glengine {

namespace {

// Larger ports are refused here already; the offscreen context may have a
// lower limit of its own.
constexpr long long kLargestPicture = 16384;

bool Finite(double v) {
  return std::isfinite(v);
}

bool FiniteVector(const ON_3dVector& v) {
  return Finite(v.x) && Finite(v.y) && Finite(v.z);
}

// The camera frame must be orthonormal, or eye space would shear the
// picture; a frame a caller broke is refused rather than drawn skewed.
bool UsableFrame(const ON_3dVector& x, const ON_3dVector& y, const ON_3dVector& z) {
  const double tol = 1e-6;
  if (!FiniteVector(x) || !FiniteVector(y) || !FiniteVector(z)) return false;
  return std::fabs(x.Length() - 1.0) < tol && std::fabs(y.Length() - 1.0) < tol &&
         std::fabs(z.Length() - 1.0) < tol && std::fabs(x * y) < tol && std::fabs(y * z) < tol &&
         std::fabs(z * x) < tol;
}

} // namespace

void ToGlMatrix(const ON_Xform& xform, double gl[16]) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      gl[col * 4 + row] = xform.m_xform[row][col];
}

bool ComputeViewMatrices(const ON_Viewport& viewport, ViewMatrices& out) {
  int left = 0, right = 0, bottom = 0, top = 0;
  if (!viewport.GetScreenPort(&left, &right, &bottom, &top)) return false;
  // In 64 bits: a port from INT_MIN to INT_MAX must not overflow into a
  // small, plausible size.
  const long long width = std::llabs(static_cast<long long>(right) - left);
  const long long height = std::llabs(static_cast<long long>(top) - bottom);
  if (width <= 0 || height <= 0 || width > kLargestPicture || height > kLargestPicture)
    return false;

  ON_3dPoint eye;
  ON_3dVector cx, cy, cz;
  if (!viewport.GetCameraFrame(eye, cx, cy, cz)) return false;
  if (!eye.IsValid() || !UsableFrame(cx, cy, cz)) return false;

  double l = 0.0, r = 0.0, b = 0.0, t = 0.0, n = 0.0, f = 0.0;
  if (!viewport.GetFrustum(&l, &r, &b, &t, &n, &f)) return false;
  if (!Finite(l) || !Finite(r) || !Finite(b) || !Finite(t) || !Finite(n) || !Finite(f))
    return false;
  if (!(l < r) || !(b < t) || !(n < f)) return false;

  ON_Xform world_to_eye = ON_Xform::ZeroTransformation;
  const ON_3dVector axes[3] = {cx, cy, cz};
  const ON_3dVector origin(eye);
  for (int row = 0; row < 3; ++row) {
    world_to_eye.m_xform[row][0] = axes[row].x;
    world_to_eye.m_xform[row][1] = axes[row].y;
    world_to_eye.m_xform[row][2] = axes[row].z;
    world_to_eye.m_xform[row][3] = -(axes[row] * origin);
  }
  world_to_eye.m_xform[3][3] = 1.0;

  ON_Xform eye_to_clip = ON_Xform::ZeroTransformation;
  auto& p = eye_to_clip.m_xform;
  if (viewport.IsPerspectiveProjection()) {
    if (!(n > 0.0)) return false;
    p[0][0] = 2.0 * n / (r - l);
    p[0][2] = (r + l) / (r - l);
    p[1][1] = 2.0 * n / (t - b);
    p[1][2] = (t + b) / (t - b);
    p[2][2] = -(f + n) / (f - n);
    p[2][3] = -2.0 * f * n / (f - n);
    p[3][2] = -1.0;
  } else if (viewport.IsParallelProjection()) {
    p[0][0] = 2.0 / (r - l);
    p[0][3] = -(r + l) / (r - l);
    p[1][1] = 2.0 / (t - b);
    p[1][3] = -(t + b) / (t - b);
    p[2][2] = -2.0 / (f - n);
    p[2][3] = -(f + n) / (f - n);
    p[3][3] = 1.0;
  } else {
    return false;
  }

  out.world_to_eye = world_to_eye;
  out.eye_to_clip = eye_to_clip;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  return true;
}

} // namespace glengine
