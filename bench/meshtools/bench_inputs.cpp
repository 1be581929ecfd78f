#include "bench_inputs.h"

#include <cmath>
#include <numbers>

namespace bench {

ON_Mesh Sphere(double cx, double cy, double cz, double r, int rings) {
  const int segments = 2 * rings;
  ON_Mesh m;
  m.m_V.Reserve(segments * (rings - 1) + 2);
  m.m_F.Reserve(2 * segments * (rings - 1));
  m.AppendVertex(ON_3dPoint(cx, cy, cz - r));
  for (int i = 1; i < rings; ++i) {
    const double phi = -std::numbers::pi / 2 + std::numbers::pi * i / rings;
    for (int j = 0; j < segments; ++j) {
      const double th = 2 * std::numbers::pi * j / segments;
      m.AppendVertex(ON_3dPoint(cx + r * std::cos(phi) * std::cos(th),
                                cy + r * std::cos(phi) * std::sin(th), cz + r * std::sin(phi)));
    }
  }
  const int north = m.AppendVertex(ON_3dPoint(cx, cy, cz + r));
  auto ring = [&](int i, int j) { return 1 + (i - 1) * segments + (j % segments); };
  for (int j = 0; j < segments; ++j)
    m.AppendTriangle(0, ring(1, j + 1), ring(1, j));
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      m.AppendTriangle(ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
      m.AppendTriangle(ring(i, j), ring(i + 1, j + 1), ring(i + 1, j));
    }
  for (int j = 0; j < segments; ++j)
    m.AppendTriangle(north, ring(rings - 1, j), ring(rings - 1, j + 1));
  m.ComputeFaceNormals();
  return m;
}

ON_Mesh WavySheet(int n) {
  ON_Mesh m;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j) {
      const double x = -2 + 4.0 * j / n, y = -2 + 4.0 * i / n;
      m.AppendVertex(ON_3dPoint(x, y, 0.15 * std::sin(3 * x) * std::cos(2 * y)));
    }
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int a = i * (n + 1) + j;
      m.AppendTriangle(a, a + 1, a + n + 2);
      m.AppendTriangle(a, a + n + 2, a + n + 1);
    }
  m.ComputeFaceNormals();
  return m;
}

} // namespace bench
