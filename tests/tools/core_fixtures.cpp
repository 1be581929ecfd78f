#include "core_fixtures.h"

#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace meshtools::test {

TriMesh MakeBox(double x0, double y0, double z0, double x1, double y1, double z1) {
  TriMesh m;
  for (int i = 0; i < 8; ++i)
    m.AddVertex(i & 1 ? x1 : x0, i & 2 ? y1 : y0, i & 4 ? z1 : z0);
  // Quads with outward normals by the right-hand rule.
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& q : quads) {
    m.AddTriangle(q[0], q[1], q[2]);
    m.AddTriangle(q[0], q[2], q[3]);
  }
  return m;
}

TriMesh MakeUnweldedBox(double x0, double y0, double z0, double x1, double y1, double z1) {
  const TriMesh welded = MakeBox(x0, y0, z0, x1, y1, z1);
  TriMesh m;
  for (int f = 0; f < 6; ++f) {
    const int base = m.VertexCount();
    // Each side's two triangles share corners 0 and 2 of its quad.
    const int* t = &welded.tri[6 * f];
    const int q[4] = {t[0], t[1], t[2], t[5]};
    for (int c : q)
      m.AddVertex(welded.xyz[3 * c], welded.xyz[3 * c + 1], welded.xyz[3 * c + 2]);
    m.AddTriangle(base, base + 1, base + 2);
    m.AddTriangle(base, base + 2, base + 3);
  }
  return m;
}

TriMesh MakeSphere(double cx, double cy, double cz, double r, int rings, int segments) {
  TriMesh m;
  m.AddVertex(cx, cy, cz - r); // south pole
  for (int i = 1; i < rings; ++i) {
    const double phi = -std::numbers::pi / 2 + std::numbers::pi * i / rings;
    for (int j = 0; j < segments; ++j) {
      const double th = 2 * std::numbers::pi * j / segments;
      m.AddVertex(cx + r * std::cos(phi) * std::cos(th), cy + r * std::cos(phi) * std::sin(th),
                  cz + r * std::sin(phi));
    }
  }
  m.AddVertex(cx, cy, cz + r); // north pole
  const int north = m.VertexCount() - 1;
  auto ring = [&](int i, int j) { return 1 + (i - 1) * segments + (j % segments); };
  for (int j = 0; j < segments; ++j)
    m.AddTriangle(0, ring(1, j + 1), ring(1, j));
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      m.AddTriangle(ring(i, j), ring(i, j + 1), ring(i + 1, j + 1));
      m.AddTriangle(ring(i, j), ring(i + 1, j + 1), ring(i + 1, j));
    }
  for (int j = 0; j < segments; ++j)
    m.AddTriangle(north, ring(rings - 1, j), ring(rings - 1, j + 1));
  return m;
}

TriMesh MakeGrid(double x0, double y0, double x1, double y1, double z, int n) {
  TriMesh m;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      m.AddVertex(x0 + (x1 - x0) * j / n, y0 + (y1 - y0) * i / n, z);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int a = i * (n + 1) + j, b = a + 1, c = a + n + 2, d = a + n + 1;
      m.AddTriangle(a, b, c);
      m.AddTriangle(a, c, d);
    }
  return m;
}

void Append(TriMesh& to, const TriMesh& from) {
  const int base = to.VertexCount();
  to.xyz.insert(to.xyz.end(), from.xyz.begin(), from.xyz.end());
  for (int c : from.tri)
    to.tri.push_back(base + c);
}

void Translate(TriMesh& m, double dx, double dy, double dz) {
  for (std::size_t i = 0; i < m.xyz.size(); i += 3) {
    m.xyz[i] += dx;
    m.xyz[i + 1] += dy;
    m.xyz[i + 2] += dz;
  }
}

void FlipAll(TriMesh& m) {
  for (std::size_t t = 0; t < m.tri.size(); t += 3)
    std::swap(m.tri[t + 1], m.tri[t + 2]);
}

namespace {
void Corners(const TriMesh& m, int t, const double* p[3]) {
  for (int k = 0; k < 3; ++k)
    p[k] = &m.xyz[3 * m.tri[3 * t + k]];
}
} // namespace

double SignedVolume(const TriMesh& m) {
  double v = 0;
  for (int t = 0; t < m.TriangleCount(); ++t) {
    const double* p[3];
    Corners(m, t, p);
    v += p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
         p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
         p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0]);
  }
  return v / 6;
}

double Area(const TriMesh& m) {
  double a = 0;
  for (int t = 0; t < m.TriangleCount(); ++t) {
    const double* p[3];
    Corners(m, t, p);
    const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const double w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const double c[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                         u[0] * w[1] - u[1] * w[0]};
    a += std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]) / 2;
  }
  return a;
}

bool IsClosedAndOriented(const TriMesh& m) {
  if (m.Empty()) return false;
  std::map<std::pair<int, int>, int> directed;
  for (int t = 0; t < m.TriangleCount(); ++t)
    for (int k = 0; k < 3; ++k)
      ++directed[{m.tri[3 * t + k], m.tri[3 * t + (k + 1) % 3]}];
  for (const auto& [e, n] : directed) {
    if (n != 1) return false;
    auto back = directed.find({e.second, e.first});
    if (back == directed.end() || back->second != 1) return false;
  }
  return true;
}

double UvSphereVolume(double r, int rings, int segments) {
  const TriMesh s = MakeSphere(0, 0, 0, r, rings, segments);
  return SignedVolume(s);
}

} // namespace meshtools::test
