// Mesh topology: merged vertices, shared edges with their faces, the
// corner convention of face edges, and closedness.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "opennurbs.h"
#include "support/test_meshes.h"

namespace {

using test_meshes::Box;
using test_meshes::UnweldedBox;

// The k-th edge of each face joins corner k-1 and corner k, oriented as
// m_reve says.
void ExpectCornerConvention(const ON_Mesh& m) {
  const ON_MeshTopology& top = m.Topology();
  for (int fi = 0; fi < m.FaceCount(); ++fi) {
    const ON_MeshFace& f = m.m_F[fi];
    const int n = f.CornerCount();
    for (int k = 0; k < n; ++k) {
      const int a = top.m_topv_map[f.vi[(k + n - 1) % n]];
      const int b = top.m_topv_map[f.vi[k]];
      const ON_MeshTopologyEdge& e = top.m_tope[top.m_topf[fi].m_topei[k]];
      if (top.m_topf[fi].m_reve[k]) {
        EXPECT_EQ(e.m_topvi[0], b);
        EXPECT_EQ(e.m_topvi[1], a);
      } else {
        EXPECT_EQ(e.m_topvi[0], a);
        EXPECT_EQ(e.m_topvi[1], b);
      }
    }
  }
}

TEST(Topology, UnweldedBoxMergesCornersAndSharesEdges) {
  const ON_Mesh m = UnweldedBox(0, 0, 0, 1, 1, 1);
  const ON_MeshTopology& top = m.Topology();
  ASSERT_EQ(top.TopVertexCount(), 8);
  ASSERT_EQ(top.TopEdgeCount(), 12);
  ASSERT_EQ(top.TopFaceCount(), 6);
  for (const ON_MeshTopologyVertex& v : top.m_topv) {
    ASSERT_EQ(v.m_v_count, 3); // three faces meet at each corner
    EXPECT_EQ(v.m_tope_count, 3);
    for (int i = 0; i < v.m_v_count; ++i)
      EXPECT_EQ(m.m_V[v.m_vi[i]], m.m_V[v.m_vi[0]]);
    EXPECT_LT(v.m_vi[0], v.m_vi[1]);
  }
  for (const ON_MeshTopologyEdge& e : top.m_tope) {
    EXPECT_EQ(e.m_topf_count, 2);
    EXPECT_NE(e.m_topfi[0], e.m_topfi[1]);
    EXPECT_NE(e.m_topvi[0], e.m_topvi[1]);
  }
  for (int i = 0; i < m.VertexCount(); ++i)
    EXPECT_EQ(top.TopVertexPoint(top.m_topv_map[i]), m.Vertex(i));
  EXPECT_TRUE(m.IsClosed());
  EXPECT_EQ(top.NakedEdgeCount(), 0);
  ExpectCornerConvention(m);
}

TEST(Topology, FaceEdgesFollowTheCornerBeforeConvention) {
  ON_Mesh m;
  m.AppendVertex(ON_3dPoint(0, 0, 0));
  m.AppendVertex(ON_3dPoint(1, 0, 0));
  m.AppendVertex(ON_3dPoint(1, 1, 0));
  m.AppendVertex(ON_3dPoint(0, 1, 0));
  m.AppendQuad(0, 1, 2, 3);
  m.AppendTriangle(0, 3, 2); // shares sides 3-0 and 2-3 with the quad, reversed
  const ON_MeshTopology& top = m.Topology();
  // Edge 0 of face 0 is the side from corner 3 to corner 0: vertices 3,0.
  const ON_MeshTopologyEdge& e0 = top.m_tope[top.m_topf[0].m_topei[0]];
  EXPECT_EQ(e0.m_topvi[0], top.m_topv_map[3]);
  EXPECT_EQ(e0.m_topvi[1], top.m_topv_map[0]);
  EXPECT_EQ(top.m_topf[0].m_reve[0], 0);
  // Face 1's edge 1 runs 0->3, the same edge the other way.
  EXPECT_EQ(top.m_topf[1].m_topei[1], top.m_topf[0].m_topei[0]);
  EXPECT_EQ(top.m_topf[1].m_reve[1], 1);
  // Triangles repeat their last edge in slot 3.
  EXPECT_TRUE(top.m_topf[1].IsTriangle());
  EXPECT_EQ(top.m_topf[1].m_topei[3], top.m_topf[1].m_topei[2]);
  EXPECT_TRUE(top.m_topf[0].IsQuad());
  // Edges are numbered by first use: face 0's edges come first, in k order.
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(top.m_topf[0].m_topei[k], k);
  EXPECT_EQ(top.TopEdgeCount(), 5);
  EXPECT_EQ(top.NakedEdgeCount(), 3);
  const int diagonal = top.TopEdge(top.m_topv_map[2], top.m_topv_map[0]);
  ASSERT_EQ(diagonal, 4);
  EXPECT_EQ(top.m_tope[diagonal].m_topf_count, 1);
  EXPECT_EQ(top.m_tope[top.m_topf[0].m_topei[3]].m_topf_count, 2);
  EXPECT_EQ(top.TopEdge(0, 99), -1);
  ExpectCornerConvention(m);
}

TEST(Topology, OpenAndEmptyMeshesAreNotClosed) {
  ON_Mesh quad = test_meshes::UnitGrid(1);
  EXPECT_FALSE(quad.IsClosed());
  EXPECT_EQ(quad.Topology().NakedEdgeCount(), 4);
  ON_Mesh box = Box(0, 0, 0, 1, 1, 1);
  box.m_F.Remove(2);
  box.DestroyRuntimeCache();
  EXPECT_FALSE(box.IsClosed());
  EXPECT_EQ(box.Topology().NakedEdgeCount(), 4);
  EXPECT_FALSE(ON_Mesh().IsClosed());
  EXPECT_EQ(ON_Mesh().Topology().TopEdgeCount(), 0);
}

TEST(Topology, EdgesUsedByMoreThanTwoFacesStillCountAsClosed) {
  // Two tetrahedra sharing only the edge (0,0,0)-(1,0,0): that edge has
  // four faces, every other edge two.
  ON_Mesh m = test_meshes::Tetrahedron();
  ON_Mesh other = test_meshes::Tetrahedron();
  other.Transform(ON_Xform::RotationTransformation(ON_PI, ON_3dVector::XAxis, ON_3dPoint(0, 0, 0)));
  m.Append(other);
  const ON_MeshTopology& top = m.Topology();
  EXPECT_EQ(top.TopVertexCount(), 6);
  int four = 0;
  for (const ON_MeshTopologyEdge& e : top.m_tope)
    four += (e.m_topf_count == 4) ? 1 : 0;
  EXPECT_EQ(four, 1);
  EXPECT_TRUE(m.IsClosed());
}

TEST(Topology, BadFacesGetNoEdgesAndNeverCrash) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  m.m_F.Append(ON_MeshFace{{0, 1, 2, 1000}});
  m.m_V.Append(ON_3fPoint(NAN, 0, 0));
  m.m_V.Append(ON_3fPoint(NAN, 0, 0));
  m.DestroyRuntimeCache();
  const ON_MeshTopology& top = m.Topology();
  EXPECT_FALSE(top.m_topf[6].IsValid());
  EXPECT_EQ(top.m_topf[6].m_topei[0], -1);
  EXPECT_EQ(top.TopVertexCount(), 10); // NaN vertices stay separate
  int fv[4];
  EXPECT_FALSE(top.GetTopFaceVertices(6, fv));
  EXPECT_TRUE(top.GetTopFaceVertices(0, fv));
  EXPECT_FALSE(m.IsClosed()); // cannot vouch for a mesh with bad faces
}

TEST(Topology, RebuiltAfterTheMeshChanges) {
  ON_Mesh m = UnweldedBox(0, 0, 0, 1, 1, 1);
  const ON_MeshTopology* first = &m.Topology();
  EXPECT_EQ(first, &m.Topology()); // built once
  m.SetVertex(0, ON_3dPoint(0.5, 0.5, -3));
  EXPECT_EQ(m.Topology().TopVertexCount(), 9);
  EXPECT_FALSE(m.IsClosed());
  m.DestroyTopology();
  EXPECT_EQ(m.Topology().TopVertexCount(), 9);
}

TEST(Topology, ConcurrentUseOnDifferentAndSharedMeshes) {
  std::vector<ON_Mesh> meshes;
  for (int i = 0; i < 4; ++i)
    meshes.push_back(test_meshes::UnitGrid(30 + i));
  const ON_Mesh shared = UnweldedBox(0, 0, 0, 1, 1, 1);
  std::vector<const ON_MeshTopology*> seen(8, nullptr);
  std::vector<int> closed(8, -1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      if (t < 4) {
        closed[t] = meshes[t].IsClosed() ? 1 : 0;
        meshes[t].MeshTree(true);
      } else {
        seen[t] = &shared.Topology();
        closed[t] = shared.IsClosed() ? 1 : 0;
      }
    });
  for (auto& th : threads)
    th.join();
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(closed[t], 0);
    EXPECT_EQ(meshes[t].Topology().TopEdgeCount(), 2 * (30 + t) * (31 + t));
  }
  for (int t = 4; t < 8; ++t) {
    EXPECT_EQ(seen[t], seen[4]);
    EXPECT_EQ(closed[t], 1);
  }
}

} // namespace
