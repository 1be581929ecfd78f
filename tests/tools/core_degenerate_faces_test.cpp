// Faces a boolean's rounding made degenerate are removed, and the result
// stays closed.
#include <gtest/gtest.h>

#include <array>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cgal_mesh.h"
#include "core_fixtures.h"

namespace meshtools {
namespace {

using namespace test;

SurfaceMesh ReadOff(const std::string& path) {
  std::ifstream in(path);
  std::string tag;
  int nv = 0, nf = 0, ne = 0;
  in >> tag >> nv >> nf >> ne;
  std::vector<Point3> points;
  for (int i = 0; i < nv; ++i) {
    double x, y, z;
    in >> x >> y >> z;
    points.emplace_back(x, y, z);
  }
  std::vector<std::array<int, 3>> faces(nf);
  for (auto& f : faces) {
    int n;
    in >> n >> f[0] >> f[1] >> f[2];
  }
  // Built as the corefinement leaves a surface: halfedges paired by their
  // directed edges, so that a vertex may pinch two fans together (two of
  // this one's do), which a surface built face by face may not.
  SurfaceMesh sm;
  for (const Point3& p : points)
    sm.add_vertex(p);
  std::map<std::pair<int, int>, HalfedgeIndex> twins;
  for (const auto& f : faces) {
    const FaceIndex face = sm.add_face();
    HalfedgeIndex sides[3];
    for (int k = 0; k < 3; ++k) {
      const int from = f[k], to = f[(k + 1) % 3];
      const auto twin = twins.find({from, to});
      if (twin != twins.end()) {
        sides[k] = twin->second;
      } else {
        sides[k] = sm.add_edge();
        twins[{to, from}] = sm.opposite(sides[k]);
      }
      sm.set_target(sides[k], VertexIndex(to));
      sm.set_halfedge(VertexIndex(to), sides[k]);
      sm.set_face(sides[k], face);
    }
    for (int k = 0; k < 3; ++k)
      sm.set_next(sides[k], sides[(k + 1) % 3]);
    sm.set_halfedge(face, sides[0]);
  }
  return sm;
}

// Exact for float corners: their differences and products are exact in
// double, and a difference of doubles is zero only when they are equal.
bool IsFlat(const TriMesh& m, int t) {
  const double* p[3];
  for (int k = 0; k < 3; ++k)
    p[k] = &m.xyz[3 * m.tri[3 * t + k]];
  double u[3], v[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = p[1][k] - p[0][k];
    v[k] = p[2][k] - p[0][k];
  }
  return u[1] * v[2] == u[2] * v[1] && u[2] * v[0] == u[0] * v[2] && u[0] * v[1] == u[1] * v[0];
}

int FlatCount(const TriMesh& m) {
  int n = 0;
  for (int t = 0; t < m.TriangleCount(); ++t)
    n += IsFlat(m, t);
  return n;
}

} // namespace

// A Difference result as it came out of the corefinement, rounded to float:
// a sliver of the part between two cutters, 124 faces around 10^-8 of
// volume, folded by the rounding into clusters of coincident points with
// null edges and flat faces between them. CGAL's general removal looped
// forever on it (a long random session froze in a redraw). Whether it loops
// depends on how the halfedges are numbered: the file lists the faces in an
// order on which it does, built as ReadOff builds it. Collapsing one edge at
// a time cannot undo the folds either.
TEST(DegenerateFaces, ASliverFoldedByRoundingComesOutClosedAndClean) {
  SurfaceMesh sm = ReadOff(std::string(TOOLS_TEST_DATA) + "/rounded_difference.off");
  ASSERT_EQ(sm.number_of_faces(), 124u);
  ASSERT_TRUE(CGAL::is_closed(sm));
  TriMesh before;
  CopyToTriMesh(sm, before);
  ASSERT_GT(FlatCount(before), 0);
  ASSERT_TRUE(FinishResult(sm, true));
  TriMesh after;
  CopyToTriMesh(sm, after);
  EXPECT_TRUE(IsClosedAndOriented(after));
  EXPECT_EQ(FlatCount(after), 0);
  // No point moved: what was dropped had no volume.
  EXPECT_NEAR(SignedVolume(after), SignedVolume(before), 1e-11);
  EXPECT_GT(SignedVolume(after), 5e-9);
}

// The two faults rounding makes, built into a box by hand: a vertex on the
// middle of an edge with a flat face along it, and an edge whose two ends
// are one point. They are mended by an edge flip and a collapse, so every
// point stays where it was and the volume is exact.
TEST(DegenerateFaces, AFlatFaceAndANullEdgeAreMendedWithoutMovingAPoint) {
  TriMesh box = MakeBox(0, 0, 0, 10, 10, 10);
  // The face across edge (a, b) of triangle `t`, turned to start with b, a.
  auto across = [&box](int a, int b) {
    for (int u = 0; u < box.TriangleCount(); ++u)
      for (int k = 0; k < 3; ++k)
        if (box.tri[3 * u + k] == b && box.tri[3 * u + (k + 1) % 3] == a)
          return std::array<int, 2>{u, box.tri[3 * u + (k + 2) % 3]};
    return std::array<int, 2>{-1, -1};
  };
  auto set = [&box](int t, int a, int b, int c) {
    box.tri[3 * t] = a;
    box.tri[3 * t + 1] = b;
    box.tri[3 * t + 2] = c;
  };
  // A flat face (b, a, m) with m the middle of edge (a, b).
  const int a = box.tri[0], b = box.tri[1];
  const auto [t, e] = across(a, b);
  ASSERT_GE(t, 0);
  const int m = box.VertexCount();
  box.AddVertex((box.xyz[3 * a] + box.xyz[3 * b]) / 2, (box.xyz[3 * a + 1] + box.xyz[3 * b + 1]) / 2,
                (box.xyz[3 * a + 2] + box.xyz[3 * b + 2]) / 2);
  set(t, b, m, e);
  box.AddTriangle(m, a, e);
  box.AddTriangle(b, a, m);
  // A copy n of vertex p on edge (p, q) of the face after triangle 0.
  const int p = box.tri[3], q = box.tri[4], r = box.tri[5];
  const auto [s, w] = across(p, q);
  ASSERT_GE(s, 0);
  const int n = box.VertexCount();
  box.AddVertex(box.xyz[3 * p], box.xyz[3 * p + 1], box.xyz[3 * p + 2]);
  set(1, n, q, r);
  box.AddTriangle(p, n, r);
  set(s, q, n, w);
  box.AddTriangle(n, p, w);
  ASSERT_TRUE(IsClosedAndOriented(box));
  ASSERT_EQ(FlatCount(box), 3);

  ASSERT_TRUE(FinishClosedAsGiven(box));
  EXPECT_TRUE(IsClosedAndOriented(box));
  EXPECT_EQ(FlatCount(box), 0);
  EXPECT_EQ(box.TriangleCount(), 14);
  EXPECT_EQ(SignedVolume(box), 1000.0);
}

} // namespace meshtools
