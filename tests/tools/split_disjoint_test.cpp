// RhinoSplitDisjointMesh: counting and splitting into connected pieces.
#include <gtest/gtest.h>

#include "rhino_split_disjoint_mesh.h"
#include "support/test_meshes.h"

namespace {

using namespace test_meshes;

struct OwnedList {
  ON_SimpleArray<ON_Mesh*> meshes;
  ~OwnedList() {
    for (ON_Mesh* m : meshes)
      delete m;
  }
};

TEST(SplitDisjoint, CountsAndSplitsSeparatePieces) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  m.Append(Sphere(ON_3dPoint(5, 0, 0), 1, 6, 8));
  m.Append(Grid(0, 5, 1, 6, 0, 3));
  OwnedList out;
  EXPECT_EQ(RhinoSplitDisjointMesh(m, out.meshes, true), 3);
  EXPECT_EQ(out.meshes.Count(), 0);
  ASSERT_EQ(RhinoSplitDisjointMesh(m, out.meshes, false), 3);
  ASSERT_EQ(out.meshes.Count(), 3);
  // Pieces come in order of their first face, with only their own vertices.
  EXPECT_EQ(out.meshes[0]->FaceCount(), 6);
  EXPECT_EQ(out.meshes[0]->VertexCount(), 8);
  EXPECT_NEAR(Volume(*out.meshes[0]), 1.0, 1e-12);
  EXPECT_NEAR(Volume(*out.meshes[1]), Volume(Sphere(ON_3dPoint(5, 0, 0), 1, 6, 8)), 1e-9);
  EXPECT_NEAR(Area(*out.meshes[2]), 1.0, 1e-9);
  int faces = 0;
  for (const ON_Mesh* p : out.meshes) {
    faces += p->FaceCount();
    EXPECT_TRUE(HasUnitFaceNormals(*p));
  }
  EXPECT_EQ(faces, m.FaceCount());
}

TEST(SplitDisjoint, SidesMeshedApartStayOnePieceWithTheirNormals) {
  ON_Mesh m = UnweldedBoxWithNormals(0, 0, 0, 1, 1, 1);
  m.Append(UnweldedBoxWithNormals(3, 0, 0, 4, 1, 1));
  OwnedList out;
  ASSERT_EQ(RhinoSplitDisjointMesh(m, out.meshes, false), 2);
  for (const ON_Mesh* p : out.meshes) {
    EXPECT_EQ(p->VertexCount(), 24);
    EXPECT_EQ(p->m_N.Count(), 24);
    EXPECT_NEAR(Volume(*p), 1.0, 1e-12);
  }
  // The second piece's normals are the second box's.
  EXPECT_EQ(out.meshes[1]->m_N[0].z, m.m_N[24].z);
}

TEST(SplitDisjoint, PiecesTouchingAtOnePointAreOne) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  m.Append(Box(1, 1, 1, 2, 2, 2)); // corner to corner, separate vertices
  OwnedList out;
  EXPECT_EQ(RhinoSplitDisjointMesh(m, out.meshes, true), 1);
  EXPECT_EQ(RhinoSplitDisjointMesh(m, out.meshes, false), 1);
  ASSERT_EQ(out.meshes.Count(), 1);
  EXPECT_EQ(out.meshes[0]->FaceCount(), 12);
}

// Large meshes find coincident vertices in many hash buckets: a grid whose
// every triangle has vertices of its own is still one piece, and two such
// grids apart are two.
TEST(SplitDisjoint, LargeSoupsJoinAtEveryCoincidentVertex) {
  auto soup = [](double x0) {
    const ON_Mesh grid = Grid(x0, 0, x0 + 1, 1, 0, 60); // 7200 triangles
    ON_Mesh m;
    for (const ON_MeshFace& f : grid.m_F) {
      const int base = m.m_V.Count();
      for (int k = 0; k < 3; ++k)
        m.m_V.Append(grid.m_V[f.vi[k]]);
      ON_MeshFace g;
      g.vi[0] = base;
      g.vi[1] = base + 1;
      g.vi[2] = g.vi[3] = base + 2;
      m.m_F.Append(g);
    }
    return m;
  };
  ON_Mesh m = soup(0);
  OwnedList out;
  EXPECT_EQ(RhinoSplitDisjointMesh(m, out.meshes, true), 1);
  m.Append(soup(3));
  EXPECT_EQ(RhinoSplitDisjointMesh(m, out.meshes, true), 2);
}

TEST(SplitDisjoint, ZeroForMeshesWithoutFacesOrWithBadIndices) {
  OwnedList out;
  ON_Mesh empty;
  EXPECT_EQ(RhinoSplitDisjointMesh(empty, out.meshes, true), 0);
  ON_Mesh points;
  points.AppendVertex(ON_3dPoint(0, 0, 0));
  EXPECT_EQ(RhinoSplitDisjointMesh(points, out.meshes, false), 0);
  ON_Mesh bad = Box(0, 0, 0, 1, 1, 1);
  bad.m_F[3].vi[1] = 99;
  EXPECT_EQ(RhinoSplitDisjointMesh(bad, out.meshes, true), 0);
  bad.m_F[3].vi[1] = -1;
  EXPECT_EQ(RhinoSplitDisjointMesh(bad, out.meshes, false), 0);
  EXPECT_EQ(out.meshes.Count(), 0);
}

} // namespace
