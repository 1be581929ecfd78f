#pragma once
// Meshes built in code for the tests of every folder, so that each test
// starts from geometry whose exact vertices, faces and winding are known.
// The builders store no normals unless their names say so; callers that
// want face normals say so with WithFaceNormals.

#include "opennurbs.h"

#include <cmath>
#include <map>
#include <utility>

namespace test_meshes {

// Axis-aligned box from min to max: 8 welded vertices, 6 outward quads.
// Tests name corners and sides by index: corner i takes max.x when bit 0 of
// i is set, max.y for bit 1, max.z for bit 2; the sides are -z, +z, -y, +y,
// -x, +x in that order, each counter-clockwise seen from outside.
inline ON_Mesh Box(const ON_3dPoint& min, const ON_3dPoint& max) {
  ON_Mesh mesh;
  for (int i = 0; i < 8; ++i)
    mesh.SetVertex(
        i, ON_3dPoint((i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z));
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (int f = 0; f < 6; ++f)
    mesh.SetQuad(f, quads[f][0], quads[f][1], quads[f][2], quads[f][3]);
  return mesh;
}

// The same box given by its corner coordinates.
inline ON_Mesh Box(double x0, double y0, double z0, double x1, double y1, double z1) {
  return Box(ON_3dPoint(x0, y0, z0), ON_3dPoint(x1, y1, z1));
}

// Box with every side owning its own four vertices (24 in all), the way
// per-face render meshes come out; sides and corners in Box's order.
inline ON_Mesh UnweldedBox(double x0, double y0, double z0, double x1, double y1, double z1) {
  const ON_Mesh welded = Box(x0, y0, z0, x1, y1, z1);
  ON_Mesh mesh;
  for (int f = 0; f < welded.FaceCount(); ++f) {
    const int base = mesh.VertexCount();
    for (int k = 0; k < 4; ++k)
      mesh.SetVertex(base + k, welded.Vertex(welded.m_F[f].vi[k]));
    mesh.SetQuad(f, base, base + 1, base + 2, base + 3);
  }
  return mesh;
}

// UnweldedBox with each side's four vertices carrying the side's outward
// normal, the way a brep's render mesh comes.
inline ON_Mesh UnweldedBoxWithNormals(double x0, double y0, double z0, double x1, double y1,
                                      double z1) {
  ON_Mesh mesh = UnweldedBox(x0, y0, z0, x1, y1, z1);
  const ON_3dVector outward[6] = {ON_3dVector(0, 0, -1), ON_3dVector(0, 0, 1),
                                  ON_3dVector(0, -1, 0), ON_3dVector(0, 1, 0),
                                  ON_3dVector(-1, 0, 0), ON_3dVector(1, 0, 0)};
  for (int f = 0; f < 6; ++f)
    for (int k = 0; k < 4; ++k)
      mesh.SetVertexNormal(4 * f + k, outward[f]);
  return mesh;
}

// Welded latitude-longitude sphere with single pole vertices: `rings` bands
// from the -z pole to the +z pole, triangles at the poles and quads between,
// all outward.
inline ON_Mesh Sphere(const ON_3dPoint& centre, double radius, int rings, int segments) {
  ON_Mesh mesh;
  mesh.SetVertex(0, ON_3dPoint(centre.x, centre.y, centre.z - radius));
  for (int r = 1; r < rings; ++r) {
    const double phi = -M_PI / 2 + M_PI * r / rings;
    for (int s = 0; s < segments; ++s) {
      const double theta = 2 * M_PI * s / segments;
      mesh.SetVertex(mesh.VertexCount(),
                     ON_3dPoint(centre.x + radius * std::cos(phi) * std::cos(theta),
                                centre.y + radius * std::cos(phi) * std::sin(theta),
                                centre.z + radius * std::sin(phi)));
    }
  }
  const int north = mesh.VertexCount();
  mesh.SetVertex(north, ON_3dPoint(centre.x, centre.y, centre.z + radius));
  auto ring = [&](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
  for (int s = 0; s < segments; ++s)
    mesh.SetTriangle(mesh.FaceCount(), 0, ring(1, s + 1), ring(1, s));
  for (int r = 1; r + 1 < rings; ++r)
    for (int s = 0; s < segments; ++s)
      mesh.SetQuad(mesh.FaceCount(), ring(r, s), ring(r, s + 1), ring(r + 1, s + 1),
                   ring(r + 1, s));
  for (int s = 0; s < segments; ++s)
    mesh.SetTriangle(mesh.FaceCount(), north, ring(rings - 1, s), ring(rings - 1, s + 1));
  return mesh;
}

// Open grid of n x n quads over [x0, x1] x [y0, y1] in the plane z, its
// vertices row by row along x, every quad counter-clockwise seen from +z.
inline ON_Mesh Grid(double x0, double y0, double x1, double y1, double z, int n) {
  ON_Mesh mesh;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i)
      mesh.SetVertex(mesh.VertexCount(),
                     ON_3dPoint(x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * j / n, z));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i;
      mesh.SetQuad(mesh.FaceCount(), a, a + 1, a + n + 2, a + n + 1);
    }
  return mesh;
}

// n x n unit quads on z = 0 covering [0, n] x [0, n].
inline ON_Mesh UnitGrid(int n) {
  return Grid(0, 0, n, n, 0, n);
}

// One open quad over [x0, x1] x [y0, y1] in the plane z, its corners
// (x0, y0), (x1, y0), (x1, y1), (x0, y1): counter-clockwise seen from +z.
inline ON_Mesh Quad(double x0, double y0, double x1, double y1, double z) {
  ON_Mesh mesh;
  mesh.AppendVertex(ON_3dPoint(x0, y0, z));
  mesh.AppendVertex(ON_3dPoint(x1, y0, z));
  mesh.AppendVertex(ON_3dPoint(x1, y1, z));
  mesh.AppendVertex(ON_3dPoint(x0, y1, z));
  mesh.AppendQuad(0, 1, 2, 3);
  return mesh;
}

// The same quad wound the other way, clockwise seen from +z, so that it
// faces -z.
inline ON_Mesh DownwardQuad(double x0, double y0, double x1, double y1, double z) {
  ON_Mesh mesh;
  mesh.AppendVertex(ON_3dPoint(x0, y0, z));
  mesh.AppendVertex(ON_3dPoint(x1, y0, z));
  mesh.AppendVertex(ON_3dPoint(x1, y1, z));
  mesh.AppendVertex(ON_3dPoint(x0, y1, z));
  mesh.AppendQuad(0, 3, 2, 1);
  return mesh;
}

// One triangle with corners a, b, c in that order.
inline ON_Mesh Triangle(const ON_3dPoint& a, const ON_3dPoint& b, const ON_3dPoint& c) {
  ON_Mesh mesh;
  mesh.AppendVertex(a);
  mesh.AppendVertex(b);
  mesh.AppendVertex(c);
  mesh.AppendTriangle(0, 1, 2);
  return mesh;
}

// Closed tetrahedron with its right-angled corner at `o`, faces outward.
inline ON_Mesh Tetrahedron(const ON_3dPoint& o = ON_3dPoint(0, 0, 0)) {
  ON_Mesh mesh;
  mesh.AppendVertex(o);
  mesh.AppendVertex(o + ON_3dVector(1, 0, 0));
  mesh.AppendVertex(o + ON_3dVector(0, 1, 0));
  mesh.AppendVertex(o + ON_3dVector(0, 0, 1));
  mesh.AppendTriangle(0, 2, 1);
  mesh.AppendTriangle(0, 1, 3);
  mesh.AppendTriangle(1, 2, 3);
  mesh.AppendTriangle(2, 0, 3);
  return mesh;
}

// a and b in one mesh, the vertices they have at the same place welded into
// one: two solids touching at a corner come out pinched there, two touching
// along an edge give an edge of four faces.
inline ON_Mesh Joined(const ON_Mesh& a, const ON_Mesh& b) {
  ON_Mesh mesh(a);
  mesh.Append(b);
  mesh.CombineIdenticalVertices(true, true);
  mesh.DestroyRuntimeCache();
  return mesh;
}

// `mesh` with face normals stored, the way a brep's render mesh carries them.
inline ON_Mesh WithFaceNormals(ON_Mesh mesh) {
  mesh.ComputeFaceNormals();
  return mesh;
}

// Calls add(a, b, c) for each triangle of the mesh; quads are split along
// their first diagonal.
template <typename AddTriangle> inline void ForEachTriangle(const ON_Mesh& mesh, AddTriangle add) {
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    add(face.vi[0], face.vi[1], face.vi[2]);
    if (face.IsQuad()) add(face.vi[0], face.vi[2], face.vi[3]);
  }
}

// Volume enclosed by a closed, outward mesh (divergence theorem).
inline double Volume(const ON_Mesh& mesh) {
  double six_volume = 0.0;
  ForEachTriangle(mesh, [&](int a, int b, int c) {
    const ON_3dVector pa = mesh.Vertex(a) - ON_3dPoint(0, 0, 0);
    const ON_3dVector pb = mesh.Vertex(b) - ON_3dPoint(0, 0, 0);
    const ON_3dVector pc = mesh.Vertex(c) - ON_3dPoint(0, 0, 0);
    six_volume += pa * ON_CrossProduct(pb, pc);
  });
  return six_volume / 6.0;
}

// Total area of the mesh's faces.
inline double Area(const ON_Mesh& mesh) {
  double twice_area = 0.0;
  ForEachTriangle(mesh, [&](int a, int b, int c) {
    twice_area +=
        ON_CrossProduct(mesh.Vertex(b) - mesh.Vertex(a), mesh.Vertex(c) - mesh.Vertex(a)).Length();
  });
  return twice_area / 2.0;
}

// Every undirected edge used exactly twice, once each way, by vertex index:
// closed and consistently wound without relying on the mesh's own topology.
inline bool ClosedAndOriented(const ON_Mesh& mesh) {
  if (mesh.FaceCount() == 0) return false;
  std::map<std::pair<int, int>, int> directed;
  for (const ON_MeshFace& face : mesh.m_F) {
    const int n = face.CornerCount();
    for (int k = 0; k < n; ++k)
      ++directed[{face.vi[k], face.vi[(k + 1) % n]}];
  }
  for (const auto& [edge, count] : directed) {
    auto back = directed.find({edge.second, edge.first});
    if (count != 1 || back == directed.end() || back->second != 1) return false;
  }
  return true;
}

// Face normals present, one per face, each of unit length.
inline bool HasUnitFaceNormals(const ON_Mesh& mesh) {
  if (mesh.m_FN.Count() != mesh.FaceCount() || mesh.FaceCount() == 0) return false;
  for (const ON_3fVector& n : mesh.m_FN)
    if (std::fabs(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z) - 1.0) > 1e-5) return false;
  return true;
}

} // namespace test_meshes
