// The face tree: built once, answers box and line queries like a brute
// force search would.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "opennurbs.h"
#include "support/test_meshes.h"

namespace {

std::vector<int> BruteForceFacesInBox(const ON_Mesh& m, const ON_BoundingBox& box) {
  std::vector<int> r;
  for (int fi = 0; fi < m.FaceCount(); ++fi) {
    ON_BoundingBox fb;
    for (int k = 0; k < 4; ++k)
      fb.Set(m.Vertex(m.m_F[fi].vi[k]), true);
    if (fb.Intersects(box)) r.push_back(fi);
  }
  return r;
}

TEST(MeshTree, BuiltOnceAndDroppedWhenTheMeshChanges) {
  ON_Mesh m = test_meshes::UnitGrid(8);
  EXPECT_EQ(m.MeshTree(false), nullptr);
  const ON_MeshTree* t = m.MeshTree(true);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(m.MeshTree(false), t);
  EXPECT_EQ(m.MeshTree(true), t);
  EXPECT_EQ(t->FaceCount(), 64);
  EXPECT_EQ(t->BoundingBox().m_max, ON_3dPoint(8, 8, 0));
  m.SetVertex(0, ON_3dPoint(-1, -1, 0));
  EXPECT_EQ(m.MeshTree(false), nullptr);
  EXPECT_EQ(m.MeshTree(true)->BoundingBox().m_min, ON_3dPoint(-1, -1, 0));
}

TEST(MeshTree, BoxQueriesCountTouchingFaces) {
  ON_Mesh m = test_meshes::UnitGrid(10);
  const ON_MeshTree* t = m.MeshTree(true);
  ON_SimpleArray<int> faces;
  // Strictly inside cell (3,4): one face.
  EXPECT_EQ(t->GetFacesInBox(ON_BoundingBox(ON_3dPoint(3.25, 4.25, -1), ON_3dPoint(3.75, 4.75, 1)),
                             faces),
            1);
  EXPECT_EQ(faces[0], 4 * 10 + 3);
  // A single grid point touches the four cells around it.
  faces.Empty();
  EXPECT_EQ(t->GetFacesInBox(ON_BoundingBox(ON_3dPoint(5, 5, 0), ON_3dPoint(5, 5, 0)), faces), 4);
  faces.Empty();
  EXPECT_EQ(t->GetFacesInBox(ON_BoundingBox(ON_3dPoint(20, 20, 0), ON_3dPoint(21, 21, 0)), faces),
            0);
  EXPECT_EQ(t->GetFacesInBox(ON_BoundingBox(), faces), 0);
}

TEST(MeshTree, AgreesWithBruteForceOnRandomBoxes) {
  ON_Mesh m = test_meshes::UnitGrid(25);
  // Lift vertices so faces are not all coplanar.
  for (int i = 0; i < m.VertexCount(); ++i)
    m.m_V[i].z = static_cast<float>((i * 7919) % 13) * 0.1f;
  m.DestroyRuntimeCache();
  const ON_MeshTree* t = m.MeshTree(true);
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> u(-2.0, 27.0), s(0.0, 4.0);
  for (int q = 0; q < 200; ++q) {
    const ON_3dPoint lo(u(rng), u(rng), s(rng) * 0.3);
    const ON_BoundingBox box(lo, lo + ON_3dVector(s(rng), s(rng), s(rng) * 0.2));
    ON_SimpleArray<int> got;
    t->GetFacesInBox(box, got);
    std::vector<int> g(got.begin(), got.end());
    std::sort(g.begin(), g.end());
    ASSERT_EQ(g, BruteForceFacesInBox(m, box)) << "query " << q;
  }
}

TEST(MeshTree, SearchStopsWhenTheCallbackSaysSo) {
  ON_Mesh m = test_meshes::UnitGrid(6);
  int calls = 0;
  const bool finished = m.MeshTree(true)->Search(
      m.BoundingBox(), [](void* ctx, int) { return ++*static_cast<int*>(ctx) < 3; }, &calls);
  EXPECT_FALSE(finished);
  EXPECT_EQ(calls, 3);
}

TEST(MeshTree, LineIntersectionsWithParametersAndBarycentrics) {
  const ON_Mesh box = test_meshes::Box(0, 0, 0, 1, 1, 1);
  const ON_MeshTree* t = box.MeshTree(true);
  ON_SimpleArray<ON_MeshTreeRayHit> hits;
  // Vertical line through (0.25, 0.75) from z = -1 to z = 3.
  const ON_Line line(ON_3dPoint(0.25, 0.75, -1), ON_3dPoint(0.25, 0.75, 3));
  ASSERT_EQ(t->IntersectLine(line, -ON_DBL_MAX, ON_DBL_MAX, hits), 2);
  std::vector<double> ts = {hits[0].m_t, hits[1].m_t};
  std::sort(ts.begin(), ts.end());
  EXPECT_NEAR(ts[0], 0.25, 1e-12); // z = 0
  EXPECT_NEAR(ts[1], 0.5, 1e-12);  // z = 1
  for (const ON_MeshTreeRayHit& h : hits) {
    const ON_MeshFace& f = box.m_F[h.m_face_index];
    const int c1 = h.m_triangle == 0 ? 1 : 2, c2 = h.m_triangle == 0 ? 2 : 3;
    const ON_3dPoint p = box.Vertex(f.vi[0]) * (1 - h.m_u - h.m_v) + box.Vertex(f.vi[c1]) * h.m_u +
                         box.Vertex(f.vi[c2]) * h.m_v;
    const ON_3dPoint q = line.PointAt(h.m_t);
    EXPECT_NEAR(p.DistanceTo(q), 0.0, 1e-12);
  }
  // A segment that stops short sees only the bottom.
  hits.Empty();
  EXPECT_EQ(t->IntersectLine(line, 0.0, 0.4, hits), 1);
  hits.Empty();
  EXPECT_EQ(t->IntersectLine(ON_Line(ON_3dPoint(5, 5, -1), ON_3dPoint(5, 5, 1)), -ON_DBL_MAX,
                             ON_DBL_MAX, hits),
            0);
}

} // namespace
