// Building, copying, appending, welding and culling meshes, and keeping
// their caches honest.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "opennurbs.h"
#include "support/test_meshes.h"

namespace {

using test_meshes::Box;
using test_meshes::UnweldedBox;

TEST(MeshBuild, SetHelpersAppendOnlyAtTheEnd) {
  ON_Mesh m;
  EXPECT_TRUE(m.SetVertex(0, ON_3dPoint(1, 2, 3)));
  EXPECT_FALSE(m.SetVertex(2, ON_3dPoint(0, 0, 0)));
  EXPECT_TRUE(m.SetVertex(1, ON_3dPoint(4, 5, 6)));
  EXPECT_TRUE(m.SetVertex(0, ON_3dPoint(7, 8, 9)));
  EXPECT_EQ(m.VertexCount(), 2);
  EXPECT_EQ(m.Vertex(0), ON_3dPoint(7, 8, 9));
  EXPECT_EQ(m.Vertex(5), ON_3dPoint::UnsetPoint);
  EXPECT_TRUE(m.SetTriangle(0, 0, 1, 1));
  EXPECT_FALSE(m.SetQuad(3, 0, 1, 1, 0));
  EXPECT_TRUE(m.m_F[0].IsTriangle());
  EXPECT_EQ(m.m_F[0].vi[3], 1);
  EXPECT_FALSE(m.SetVertex(-1, ON_3dPoint(0, 0, 0)));
}

TEST(MeshBuild, VerticesAreSinglePrecision) {
  ON_Mesh m;
  m.SetVertex(0, ON_3dPoint(0.1, 1e-9, 123456789.0));
  EXPECT_EQ(m.Vertex(0).x, static_cast<double>(0.1f));
  EXPECT_EQ(m.Vertex(0).z, static_cast<double>(123456789.0f));
}

TEST(MeshCopy, CopyAndAssignmentAreDeep) {
  ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  a.ComputeFaceNormals();
  ON_Mesh b(a);
  b.SetVertex(0, ON_3dPoint(-5, -5, -5));
  b.m_F[0].vi[0] = 7;
  EXPECT_EQ(a.Vertex(0), ON_3dPoint(0, 0, 0));
  EXPECT_EQ(a.m_F[0].vi[0], 0);
  EXPECT_TRUE(b.HasFaceNormals());
  ON_Mesh c;
  c = a;
  EXPECT_EQ(c.VertexCount(), 8);
  EXPECT_TRUE(c.IsClosed());
  c = c; // self-assignment keeps the data
  EXPECT_EQ(c.FaceCount(), 6);
  std::unique_ptr<ON_Object> dup(a.DuplicateObject());
  ASSERT_NE(ON_Mesh::Cast(dup.get()), nullptr);
  EXPECT_EQ(ON_Mesh::Cast(dup.get())->FaceCount(), 6);
}

TEST(MeshCopy, DestroyEmptiesButKeepsStorage) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  const int cap = m.m_V.Capacity();
  m.Destroy();
  EXPECT_EQ(m.VertexCount(), 0);
  EXPECT_EQ(m.FaceCount(), 0);
  EXPECT_EQ(m.m_V.Capacity(), cap);
  EXPECT_FALSE(m.IsClosed());
  EXPECT_FALSE(m.BoundingBox().IsValid());
  m.EmptyAndRelease();
  EXPECT_EQ(m.m_V.Capacity(), 0);
}

TEST(MeshAppend, ShiftsIndicesAndCarriesSharedData) {
  ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  ON_Mesh b = Box(2, 0, 0, 3, 1, 1);
  a.ComputeVertexNormals();
  b.ComputeVertexNormals();
  a.ComputeFaceNormals();
  b.ComputeFaceNormals();
  ASSERT_TRUE(a.Append(b));
  EXPECT_EQ(a.VertexCount(), 16);
  EXPECT_EQ(a.FaceCount(), 12);
  EXPECT_EQ(a.m_F[6].vi[0], b.m_F[0].vi[0] + 8);
  EXPECT_TRUE(a.HasVertexNormals());
  EXPECT_TRUE(a.HasFaceNormals());
  EXPECT_EQ(a.m_N[8], b.m_N[0]);
  EXPECT_TRUE(a.IsClosed());
  EXPECT_NEAR(a.Volume(), 2.0, 1e-12);
}

TEST(MeshAppend, DropsDataOnlyOneSideHas) {
  ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  a.ComputeVertexNormals();
  ON_Mesh b = Box(2, 0, 0, 3, 1, 1);
  ASSERT_TRUE(a.Append(b));
  EXPECT_FALSE(a.HasVertexNormals());
  EXPECT_EQ(a.m_N.Count(), 0);

  ON_Mesh empty;
  ON_Mesh c = Box(0, 0, 0, 1, 1, 1);
  c.ComputeVertexNormals();
  ASSERT_TRUE(empty.Append(c)); // an empty mesh takes everything
  EXPECT_TRUE(empty.HasVertexNormals());
}

TEST(MeshAppend, AppendingToItselfDoubles) {
  ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  ASSERT_TRUE(a.Append(a));
  EXPECT_EQ(a.VertexCount(), 16);
  EXPECT_EQ(a.FaceCount(), 12);
  EXPECT_EQ(a.m_F[11].vi[0], a.m_F[5].vi[0] + 8);
  const ON_Mesh* list[3] = {&a, nullptr, &a};
  ON_Mesh joined;
  EXPECT_TRUE(joined.Append(3, list));
  EXPECT_EQ(joined.FaceCount(), 24);
  EXPECT_FALSE(joined.Append(2, nullptr));
}

TEST(MeshNormals, FaceNormalsFromCorners) {
  ON_Mesh m;
  m.AppendVertex(ON_3dPoint(0, 0, 0));
  m.AppendVertex(ON_3dPoint(2, 0, 0));
  m.AppendVertex(ON_3dPoint(0, 2, 0));
  m.AppendVertex(ON_3dPoint(2, 2, 0));
  m.AppendVertex(ON_3dPoint(4, 0, 0));
  m.AppendTriangle(0, 1, 2);
  m.AppendQuad(0, 2, 3, 1);  // clockwise seen from +z
  m.AppendTriangle(0, 1, 4); // collinear: no normal
  EXPECT_FALSE(m.HasFaceNormals());
  ASSERT_TRUE(m.ComputeFaceNormals());
  EXPECT_TRUE(m.HasFaceNormals());
  EXPECT_EQ(m.m_FN[0], ON_3fVector(0, 0, 1));
  EXPECT_EQ(m.m_FN[1], ON_3fVector(0, 0, -1));
  EXPECT_EQ(m.m_FN[2], ON_3fVector(0, 0, 0));
  // Changing a face drops the now stale normals.
  m.SetTriangle(0, 0, 2, 1);
  EXPECT_FALSE(m.HasFaceNormals());
  EXPECT_FALSE(ON_Mesh().ComputeFaceNormals());
}

TEST(MeshNormals, VertexNormalsAverageAdjacentFaces) {
  ON_Mesh box = Box(0, 0, 0, 1, 1, 1);
  ASSERT_TRUE(box.ComputeVertexNormals());
  const double s = 1.0 / std::sqrt(3.0);
  EXPECT_NEAR(box.m_N[0].x, -s, 1e-6); // corner (0,0,0) points out along (-1,-1,-1)
  EXPECT_NEAR(box.m_N[7].z, s, 1e-6);
}

TEST(MeshWeld, UnweldedBoxCollapsesToEightVertices) {
  ON_Mesh m = UnweldedBox(0, 0, 0, 1, 1, 1);
  ASSERT_EQ(m.VertexCount(), 24);
  EXPECT_TRUE(m.CombineIdenticalVertices(true, true));
  EXPECT_EQ(m.VertexCount(), 8);
  EXPECT_EQ(m.FaceCount(), 6);
  EXPECT_TRUE(m.IsValid());
  EXPECT_NEAR(m.Volume(), 1.0, 1e-12);
  EXPECT_FALSE(m.CombineIdenticalVertices(true, true)); // nothing left to merge
}

TEST(MeshWeld, DifferentNormalsOrTextureCoordinatesKeepVerticesApart) {
  ON_Mesh m = UnweldedBox(0, 0, 0, 1, 1, 1);
  // Per-face normals: each copy of a corner carries its own face's normal.
  m.ComputeFaceNormals();
  for (int fi = 0; fi < m.FaceCount(); ++fi)
    for (int k = 0; k < 4; ++k)
      m.SetVertexNormal(m.m_F[fi].vi[k], ON_3dVector(m.m_FN[fi]));
  ON_Mesh keep_normals = m;
  EXPECT_FALSE(keep_normals.CombineIdenticalVertices(false, false));
  EXPECT_EQ(keep_normals.VertexCount(), 24);
  ON_Mesh ignore_normals = m;
  EXPECT_TRUE(ignore_normals.CombineIdenticalVertices(true, false));
  EXPECT_EQ(ignore_normals.VertexCount(), 8);
  EXPECT_EQ(ignore_normals.m_N.Count(), 8); // arrays stay in step
  EXPECT_TRUE(ignore_normals.HasFaceNormals());

  ON_Mesh t;
  t.AppendVertex(ON_3dPoint(0, 0, 0));
  t.AppendVertex(ON_3dPoint(0, 0, 0));
  t.SetTextureCoord(0, 0, 0);
  t.SetTextureCoord(1, 1, 0);
  ON_Mesh t2 = t;
  EXPECT_FALSE(t.CombineIdenticalVertices(true, false));
  EXPECT_TRUE(t2.CombineIdenticalVertices(true, true));
  EXPECT_EQ(t2.VertexCount(), 1);
}

TEST(MeshWeld, NanVerticesNeverMerge) {
  ON_Mesh m;
  m.AppendVertex(ON_3dPoint(NAN, 0, 0));
  m.AppendVertex(ON_3dPoint(NAN, 0, 0));
  m.AppendVertex(ON_3dPoint(1, 0, 0));
  m.AppendVertex(ON_3dPoint(1, 0, 0));
  m.AppendTriangle(0, 1, 3);
  EXPECT_TRUE(m.CombineIdenticalVertices(true, true));
  EXPECT_EQ(m.VertexCount(), 3);
  EXPECT_EQ(m.m_F[0].vi[2], 2);
}

TEST(MeshCull, UnusedVerticesGoAndFacesAreRenumbered) {
  ON_Mesh m;
  for (int i = 0; i < 5; ++i)
    m.AppendVertex(ON_3dPoint(i, i * i, 0));
  m.ComputeVertexNormals(); // no faces yet: nothing computed
  for (int i = 0; i < 5; ++i)
    m.SetVertexNormal(i, ON_3dVector(0, 0, i + 1));
  m.AppendTriangle(0, 2, 4);
  EXPECT_EQ(m.CullUnusedVertices(), 2);
  ASSERT_EQ(m.VertexCount(), 3);
  EXPECT_EQ(m.Vertex(1), ON_3dPoint(2, 4, 0));
  EXPECT_EQ(m.m_N[2], ON_3fVector(0, 0, 5));
  EXPECT_EQ(m.m_F[0].vi[0], 0);
  EXPECT_EQ(m.m_F[0].vi[1], 1);
  EXPECT_EQ(m.m_F[0].vi[2], 2);
  EXPECT_EQ(m.CullUnusedVertices(), 0);
}

TEST(MeshCull, FacesWithBadIndicesAreRemovedBeforeRenumbering) {
  ON_Mesh m;
  for (int i = 0; i < 4; ++i)
    m.AppendVertex(ON_3dPoint(i, 0, i));
  m.AppendTriangle(1, 2, 3);
  m.AppendTriangle(0, 1, 99);
  m.AppendTriangle(-1, 1, 2);
  EXPECT_EQ(m.CullUnusedVertices(), 1);
  EXPECT_EQ(m.FaceCount(), 1);
  EXPECT_TRUE(m.IsValid());
}

TEST(MeshCull, DegenerateFacesAreRepairedOrRemoved) {
  ON_Mesh m;
  m.AppendVertex(ON_3dPoint(0, 0, 0)); // 0
  m.AppendVertex(ON_3dPoint(1, 0, 0)); // 1
  m.AppendVertex(ON_3dPoint(1, 1, 0)); // 2
  m.AppendVertex(ON_3dPoint(0, 1, 0)); // 3
  m.AppendVertex(ON_3dPoint(1, 0, 0)); // 4: same place as 1
  m.AppendQuad(0, 1, 2, 3);            // good
  m.AppendQuad(0, 1, 1, 2);            // repeated corner: becomes triangle 0,1,2
  m.AppendQuad(0, 0, 1, 1);            // two corners: removed
  m.AppendTriangle(0, 1, 4);           // 1 and 4 coincide: removed
  m.AppendTriangle(0, 1, 42);          // bad index: removed
  m.AppendQuad(0, 1, 0, 2);            // folded onto a diagonal: removed
  m.ComputeFaceNormals();
  EXPECT_EQ(m.CullDegenerateFaces(), 4);
  ASSERT_EQ(m.FaceCount(), 2);
  EXPECT_TRUE(m.m_F[0].IsQuad());
  EXPECT_TRUE(m.m_F[1].IsTriangle());
  EXPECT_EQ(m.m_F[1].vi[0], 0);
  EXPECT_EQ(m.m_F[1].vi[1], 1);
  EXPECT_EQ(m.m_F[1].vi[2], 2);
  EXPECT_EQ(m.m_FN.Count(), 2); // normals follow their faces
  EXPECT_EQ(m.m_FN[1], ON_3fVector(0, 0, 1));
}

TEST(MeshBox, GetBBoxGrowsAndCachesAreDroppedByHelpers) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  ON_BoundingBox b(ON_3dPoint(-1, -1, -1), ON_3dPoint(0.5, 0.5, 0.5));
  ASSERT_TRUE(m.GetBBox(b, true));
  EXPECT_EQ(b.m_min, ON_3dPoint(-1, -1, -1));
  EXPECT_EQ(b.m_max, ON_3dPoint(1, 1, 1));
  EXPECT_EQ(m.BoundingBox().m_max, ON_3dPoint(1, 1, 1));
  m.SetVertex(7, ON_3dPoint(3, 3, 3));
  EXPECT_EQ(m.BoundingBox().m_max, ON_3dPoint(3, 3, 3));
  // Direct writes need an explicit cache drop, as documented.
  m.m_V[7] = ON_3fPoint(2, 2, 2);
  m.DestroyRuntimeCache();
  EXPECT_EQ(m.BoundingBox().m_max, ON_3dPoint(2, 2, 2));
  ON_BoundingBox grow; // empty input box is replaced
  EXPECT_TRUE(ON_Mesh(m).GetBBox(grow, true));
  EXPECT_FALSE(ON_Mesh().BoundingBox().IsValid());
}

TEST(MeshTransform, MirrorKeepsClosedMeshesOutward) {
  ON_Mesh m = Box(1, 0, 0, 2, 1, 1);
  m.ComputeFaceNormals();
  ASSERT_TRUE(
      m.Transform(ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0))));
  EXPECT_EQ(m.BoundingBox().m_min.x, -2);
  EXPECT_NEAR(m.Volume(), 1.0, 1e-12);
  // Stored normals were transformed; recomputing from corners agrees.
  ON_Mesh r = m;
  r.ComputeFaceNormals();
  for (int i = 0; i < m.FaceCount(); ++i)
    EXPECT_NEAR(ON_3dVector(m.m_FN[i]) * ON_3dVector(r.m_FN[i]), 1.0, 1e-6);
}

TEST(MeshSize, SizeOfGrowsWithData) {
  ON_Mesh small = Box(0, 0, 0, 1, 1, 1);
  ON_Mesh big = test_meshes::UnitGrid(20);
  EXPECT_GT(small.SizeOf(), sizeof(ON_Mesh));
  EXPECT_GT(big.SizeOf(), small.SizeOf() + 400 * sizeof(ON_MeshFace));
  const unsigned int before = big.SizeOf();
  big.Topology();
  EXPECT_GT(big.SizeOf(), before); // built caches are counted
}

TEST(MeshArchive, RoundTripAndTruncatedInput) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  m.ComputeVertexNormals();
  ON_BinaryArchive out;
  ASSERT_TRUE(m.Write(out));
  ON_BinaryArchive in(out.Buffer().data(), out.Buffer().size());
  ON_Mesh r;
  ASSERT_TRUE(r.Read(in));
  EXPECT_EQ(r.DataCRC(0), m.DataCRC(0));
  EXPECT_TRUE(r.IsClosed());
  ON_BinaryArchive cut(out.Buffer().data(), out.Buffer().size() / 2);
  ON_Mesh keep = test_meshes::Tetrahedron();
  EXPECT_FALSE(keep.Read(cut));
  EXPECT_EQ(keep.FaceCount(), 4); // unchanged on failure
}

} // namespace

// A content serial number tells whether a mesh may have changed since it
// was last seen: every change gives a new one, looking keeps it, and no
// two meshes share one.
TEST(MeshContentSerial, EveryChangeGivesANewNumberAndLookingKeepsIt) {
  ON_Mesh mesh;
  mesh.AppendVertex(ON_3dPoint(0, 0, 0));
  mesh.AppendVertex(ON_3dPoint(1, 0, 0));
  mesh.AppendVertex(ON_3dPoint(0, 1, 0));
  mesh.AppendTriangle(0, 1, 2);
  std::vector<ON__UINT64> seen{mesh.ContentSerialNumber()};
  const auto changed = [&](const char* what) {
    SCOPED_TRACE(what);
    const ON__UINT64 now = mesh.ContentSerialNumber();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), now), 0);
    seen.push_back(now);
  };

  ON_BoundingBox box;
  mesh.GetBBox(box);
  (void)mesh.Topology();
  (void)mesh.IsClosed();
  (void)mesh.Volume();
  EXPECT_EQ(mesh.ContentSerialNumber(), seen.back());

  mesh.SetVertex(1, ON_3dPoint(2, 0, 0));
  changed("a vertex moved");
  ON_Xform shift;
  shift.Translation(ON_3dVector(0, 0, 1));
  mesh.Transform(shift);
  changed("transformed");
  mesh.ComputeFaceNormals();
  changed("face normals");
  mesh.ComputeVertexNormals();
  changed("vertex normals");
  mesh.SetTextureCoord(0, 0.5, 0.5);
  changed("texture coordinates");
  mesh.m_V[2].z = 7.0f; // a direct write, announced as the header asks
  mesh.DestroyRuntimeCache();
  changed("written directly");
  const ON_Mesh copy(mesh);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), copy.ContentSerialNumber()), 0);
  seen.push_back(copy.ContentSerialNumber());
  mesh = copy;
  changed("assigned");
  mesh.Append(copy);
  changed("appended");
}
