#pragma once
// Small meshes built in code for the geometry tests.

#include "opennurbs.h"

namespace test_meshes {

// Box [x0,x1]x[y0,y1]x[z0,z1] as six quads sharing eight vertices,
// counter-clockwise seen from outside.
inline ON_Mesh WeldedBox(double x0 = 0, double y0 = 0, double z0 = 0, double x1 = 1, double y1 = 1,
                         double z1 = 1) {
  ON_Mesh m;
  const double xs[2] = {x0, x1}, ys[2] = {y0, y1}, zs[2] = {z0, z1};
  for (int i = 0; i < 8; ++i)
    m.SetVertex(i, ON_3dPoint(xs[i & 1], ys[(i >> 1) & 1], zs[(i >> 2) & 1]));
  // Corner index bits: x=1, y=2, z=4.
  const int f[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                       {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}};
  for (int i = 0; i < 6; ++i)
    m.SetQuad(i, f[i][0], f[i][1], f[i][2], f[i][3]);
  return m;
}

// The same box with every face owning its own four vertices (24 vertices),
// the way per-face render meshes come out.
inline ON_Mesh UnweldedBox(double x0 = 0, double y0 = 0, double z0 = 0, double x1 = 1,
                           double y1 = 1, double z1 = 1) {
  const ON_Mesh w = WeldedBox(x0, y0, z0, x1, y1, z1);
  ON_Mesh m;
  for (int fi = 0; fi < w.FaceCount(); ++fi) {
    const int base = m.VertexCount();
    for (int k = 0; k < 4; ++k)
      m.SetVertex(base + k, w.Vertex(w.m_F[fi].vi[k]));
    m.SetQuad(fi, base, base + 1, base + 2, base + 3);
  }
  return m;
}

// n x n unit quads on z = 0 covering [0,n]x[0,n].
inline ON_Mesh Grid(int n) {
  ON_Mesh m;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i)
      m.AppendVertex(ON_3dPoint(i, j, 0));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i;
      m.AppendQuad(a, a + 1, a + n + 2, a + n + 1);
    }
  return m;
}

inline ON_Mesh Tetrahedron(const ON_3dPoint& o = ON_3dPoint(0, 0, 0)) {
  ON_Mesh m;
  m.AppendVertex(o);
  m.AppendVertex(o + ON_3dVector(1, 0, 0));
  m.AppendVertex(o + ON_3dVector(0, 1, 0));
  m.AppendVertex(o + ON_3dVector(0, 0, 1));
  m.AppendTriangle(0, 2, 1);
  m.AppendTriangle(0, 1, 3);
  m.AppendTriangle(1, 2, 3);
  m.AppendTriangle(2, 0, 3);
  return m;
}

} // namespace test_meshes
