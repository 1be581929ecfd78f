#include "on_fixtures.h"

#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace meshtools::test {
namespace {

const int kBoxQuads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};

ON_3dPoint Corner(int i, double x0, double y0, double z0, double x1, double y1, double z1) {
  return ON_3dPoint(i & 1 ? x1 : x0, i & 2 ? y1 : y0, i & 4 ? z1 : z0);
}

ON_3dPoint P(const ON_Mesh& m, int i) {
  return ON_3dPoint(m.m_V[i].x, m.m_V[i].y, m.m_V[i].z);
}

// Triangles of face f (one or two), as index triples.
int Triangles(const ON_MeshFace& f, int t[2][3]) {
  t[0][0] = f.vi[0];
  t[0][1] = f.vi[1];
  t[0][2] = f.vi[2];
  if (f.IsTriangle()) return 1;
  t[1][0] = f.vi[0];
  t[1][1] = f.vi[2];
  t[1][2] = f.vi[3];
  return 2;
}

} // namespace

ON_Mesh OnBox(double x0, double y0, double z0, double x1, double y1, double z1) {
  ON_Mesh m;
  for (int i = 0; i < 8; ++i)
    m.AppendVertex(Corner(i, x0, y0, z0, x1, y1, z1));
  for (const auto& q : kBoxQuads)
    m.AppendQuad(q[0], q[1], q[2], q[3]);
  return m;
}

ON_Mesh OnUnweldedBox(double x0, double y0, double z0, double x1, double y1, double z1) {
  ON_Mesh m;
  const double normals[6][3] = {{0, 0, -1}, {0, 0, 1},  {0, -1, 0},
                                {0, 1, 0},  {-1, 0, 0}, {1, 0, 0}};
  for (int s = 0; s < 6; ++s) {
    const int base = m.VertexCount();
    for (int k = 0; k < 4; ++k) {
      const int v = m.AppendVertex(Corner(kBoxQuads[s][k], x0, y0, z0, x1, y1, z1));
      m.SetVertexNormal(v, ON_3dVector(normals[s][0], normals[s][1], normals[s][2]));
    }
    m.AppendQuad(base, base + 1, base + 2, base + 3);
  }
  return m;
}

ON_Mesh OnSphere(double cx, double cy, double cz, double r, int rings, int segments) {
  ON_Mesh m;
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
    for (int j = 0; j < segments; ++j)
      m.AppendQuad(ring(i, j), ring(i, j + 1), ring(i + 1, j + 1), ring(i + 1, j));
  for (int j = 0; j < segments; ++j)
    m.AppendTriangle(north, ring(rings - 1, j), ring(rings - 1, j + 1));
  return m;
}

ON_Mesh OnGrid(double x0, double y0, double x1, double y1, double z, int n) {
  ON_Mesh m;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j)
      m.AppendVertex(ON_3dPoint(x0 + (x1 - x0) * j / n, y0 + (y1 - y0) * i / n, z));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const int a = i * (n + 1) + j;
      m.AppendQuad(a, a + 1, a + n + 2, a + n + 1);
    }
  return m;
}

double Volume(const ON_Mesh& m) {
  double v = 0;
  for (const ON_MeshFace& f : m.m_F) {
    int t[2][3];
    for (int k = Triangles(f, t) - 1; k >= 0; --k) {
      const ON_3dPoint a = P(m, t[k][0]), b = P(m, t[k][1]), c = P(m, t[k][2]);
      v += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
           a.z * (b.x * c.y - b.y * c.x);
    }
  }
  return v / 6;
}

double Area(const ON_Mesh& m) {
  double s = 0;
  for (const ON_MeshFace& f : m.m_F) {
    int t[2][3];
    for (int k = Triangles(f, t) - 1; k >= 0; --k) {
      const ON_3dPoint a = P(m, t[k][0]), b = P(m, t[k][1]), c = P(m, t[k][2]);
      const double u[3] = {b.x - a.x, b.y - a.y, b.z - a.z},
                   w[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
      const double x = u[1] * w[2] - u[2] * w[1], y = u[2] * w[0] - u[0] * w[2],
                   z = u[0] * w[1] - u[1] * w[0];
      s += std::sqrt(x * x + y * y + z * z) / 2;
    }
  }
  return s;
}

bool ClosedAndOriented(const ON_Mesh& m) {
  if (m.FaceCount() == 0) return false;
  std::map<std::pair<int, int>, int> directed;
  for (const ON_MeshFace& f : m.m_F) {
    const int n = f.CornerCount();
    for (int k = 0; k < n; ++k)
      ++directed[{f.vi[k], f.vi[(k + 1) % n]}];
  }
  for (const auto& [e, n] : directed) {
    auto back = directed.find({e.second, e.first});
    if (n != 1 || back == directed.end() || back->second != 1) return false;
  }
  return true;
}

bool HasUnitFaceNormals(const ON_Mesh& m) {
  if (m.m_FN.Count() != m.FaceCount() || m.FaceCount() == 0) return false;
  for (const ON_3fVector& n : m.m_FN)
    if (std::fabs(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z) - 1.0) > 1e-5) return false;
  return true;
}

} // namespace meshtools::test
