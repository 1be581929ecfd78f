#include "line_pattern.h"

#include <cmath>

namespace glengine {

bool IsSolidLinePattern(unsigned int pattern) {
  return pattern == 0u || pattern == 0xFFFFFFFFu;
}

void LinePatternTexels(unsigned int pattern, unsigned char texels[32]) {
  for (int i = 0; i < 32; ++i)
    texels[i] = ((pattern >> i) & 1u) ? 255 : 0;
}

bool ClipSegmentToNearPlane(const ClipPoint& a, const ClipPoint& b, double& t0, double& t1) {
  // Signed distances to the near plane z + w = 0; a tiny margin keeps w
  // away from zero where the division by w would blow up.
  const double margin = 1e-9;
  const double da = a.z + a.w - margin;
  const double db = b.z + b.w - margin;
  if (!std::isfinite(da) || !std::isfinite(db)) return false;
  t0 = 0.0;
  t1 = 1.0;
  if (da < 0.0 && db < 0.0) return false;
  if (da < 0.0) t0 = da / (da - db);
  if (db < 0.0) t1 = da / (da - db);
  const ClipPoint pa = LerpClip(a, b, t0);
  const ClipPoint pb = LerpClip(a, b, t1);
  return t0 <= t1 && pa.w > 0.0 && pb.w > 0.0;
}

ClipPoint LerpClip(const ClipPoint& a, const ClipPoint& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
          a.w + (b.w - a.w) * t};
}

double PixelDistance(const ClipPoint& a, const ClipPoint& b, int width, int height) {
  const double dx = (b.x / b.w - a.x / a.w) * 0.5 * width;
  const double dy = (b.y / b.w - a.y / a.w) * 0.5 * height;
  const double d = std::sqrt(dx * dx + dy * dy);
  return std::isfinite(d) ? d : 0.0;
}

} // namespace glengine
