// The plain triangle mesh the tools work on between the host's ON_Mesh and the
// CGAL surface meshes: flat coordinate and index arrays, nothing else, so the
// conversions in both directions are straight copies.
//
// Internal to meshtools; never part of the public interface.
#pragma once

#include <cstddef>
#include <vector>

namespace meshtools {

struct TriMesh {
  std::vector<double> xyz; // x, y, z of vertex i at 3i, 3i+1, 3i+2
  std::vector<int> tri;    // corners of triangle t at 3t, 3t+1, 3t+2

  int VertexCount() const { return static_cast<int>(xyz.size() / 3); }
  int TriangleCount() const { return static_cast<int>(tri.size() / 3); }
  bool Empty() const { return tri.empty(); }
  void Clear() {
    xyz.clear();
    tri.clear();
  }
  void AddVertex(double x, double y, double z) {
    xyz.push_back(x);
    xyz.push_back(y);
    xyz.push_back(z);
  }
  void AddTriangle(int a, int b, int c) {
    tri.push_back(a);
    tri.push_back(b);
    tri.push_back(c);
  }
};

} // namespace meshtools
