// TL_MeshBooleanUnion and TL_HealMesh: what lands in the caller's list and
// target, and the geometry of it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "support/test_meshes.h"
#include "tl_heal_mesh.h"
#include "tl_mesh_boolean.h"
#include "tl_mesh_union.h"

namespace {

using namespace test_meshes;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

struct OwnedList {
  ON_SimpleArray<ON_Mesh*> meshes;
  ~OwnedList() {
    for (ON_Mesh* m : meshes)
      delete m;
  }
  double TotalVolume() const {
    double v = 0;
    for (const ON_Mesh* m : meshes)
      v += Volume(*m);
    return v;
  }
};

TEST(MeshUnion, ThreeOverlappingBoxesAppendOneClosedMesh) {
  const ON_Mesh a = Box(0, 0, 0, 2, 2, 2), b = Box(1, 1, 1, 3, 3, 3),
                c = Box(1.5, -1, 0.5, 2.5, 4, 1.5);
  ON_SimpleArray<const ON_Mesh*> sources;
  sources.Append(&a);
  sources.Append(&b);
  sources.Append(&c);
  OwnedList out;
  ON_Mesh* already = new ON_Mesh(Box(50, 50, 50, 51, 51, 51));
  out.meshes.Append(already);
  bool flag = false;
  EXPECT_TRUE(TL_MeshBooleanUnion(sources, kTol, kTol, &flag, out.meshes));
  EXPECT_TRUE(flag);
  ASSERT_EQ(out.meshes.Count(), 2);
  EXPECT_EQ(out.meshes[0], already);
  EXPECT_TRUE(ClosedAndOriented(*out.meshes[1]));
  EXPECT_TRUE(HasUnitFaceNormals(*out.meshes[1]));
  EXPECT_NEAR(Volume(*out.meshes[1]), 8 + 8 + 5 - 1 - 1 - 1 + 0.25, 1e-9);
}

TEST(MeshUnion, TouchingAndDisjointSpheresAndBoxes) {
  const ON_Mesh a = Box(0, 0, 0, 1, 1, 1), face = UnweldedBoxWithNormals(1, 0, 0, 2, 1, 1);
  const ON_Mesh s = Sphere(ON_3dPoint(5, 0, 0), 1, 8, 16),
                t = Sphere(ON_3dPoint(5.5, 0, 0), 1, 8, 16);
  ON_SimpleArray<const ON_Mesh*> sources;
  for (const ON_Mesh* m : {&a, &face, &s, &t})
    sources.Append(m);
  OwnedList out;
  EXPECT_TRUE(TL_MeshBooleanUnion(sources, kTol, kTol, nullptr, out.meshes));
  ASSERT_EQ(out.meshes.Count(), 2);
  for (const ON_Mesh* m : out.meshes)
    EXPECT_TRUE(ClosedAndOriented(*m));
  const double spheres = out.TotalVolume() - 2.0;
  EXPECT_GT(spheres, Volume(s));
  EXPECT_LT(spheres, 2 * Volume(s));
}

TEST(MeshUnion, UnusableSourcesAreLeftOutAndFlagged) {
  const ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  ON_Mesh open = Box(0.5, 0.5, 0.5, 2, 2, 2);
  open.m_F.Remove();
  open.DestroyRuntimeCache();
  ON_SimpleArray<const ON_Mesh*> sources;
  sources.Append(&a);
  sources.Append(nullptr);
  sources.Append(&open);
  OwnedList out;
  bool flag = true;
  EXPECT_TRUE(TL_MeshBooleanUnion(sources, kTol, kTol, &flag, out.meshes));
  EXPECT_FALSE(flag);
  ASSERT_EQ(out.meshes.Count(), 1);
  EXPECT_NEAR(Volume(*out.meshes[0]), 1.0, 1e-12);

  ON_SimpleArray<const ON_Mesh*> none;
  none.Append(&open);
  EXPECT_FALSE(TL_MeshBooleanUnion(none, kTol, kTol, &flag, out.meshes));
  EXPECT_EQ(out.meshes.Count(), 1);
}

TEST(MeshUnion, AttributeListsGetOneCopyPerMesh) {
  const ON_Mesh a = Box(0, 0, 0, 1, 1, 1), b = Box(3, 0, 0, 4, 1, 1);
  ON_SimpleArray<const ON_Mesh*> sources;
  sources.Append(&a);
  sources.Append(&b);
  ON_3dmObjectAttributes attr;
  ON_SimpleArray<const ON_3dmObjectAttributes*> in_attr;
  in_attr.Append(&attr);
  ON_SimpleArray<ON_3dmObjectAttributes*> out_attr;
  OwnedList out;
  EXPECT_TRUE(TL_MeshBooleanUnion(sources, kTol, kTol, nullptr, out.meshes, &in_attr, &out_attr));
  EXPECT_EQ(out.meshes.Count(), 2);
  ASSERT_EQ(out_attr.Count(), 2);
  EXPECT_NE(out_attr[0], out_attr[1]);
  for (ON_3dmObjectAttributes* p : out_attr)
    delete p;
}

// A torus about the z axis (or, `upright`, about the y axis) of `segments`
// by `sides` quads, moved by `offset`.
ON_Mesh Torus(double major, double minor, int segments, int sides, bool upright,
              const ON_3dVector& offset) {
  ON_Mesh mesh;
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const double u = 2 * ON_PI * i / segments, v = 2 * ON_PI * j / sides;
      const double ring = major + minor * std::cos(v);
      ON_3dPoint p(ring * std::cos(u), ring * std::sin(u), minor * std::sin(v));
      if (upright) std::swap(p.y, p.z);
      mesh.AppendVertex(p + offset);
    }
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const int a = i * sides + j, b = ((i + 1) % segments) * sides + j,
                c = ((i + 1) % segments) * sides + (j + 1) % sides, d = i * sides + (j + 1) % sides;
      if (upright) { // swapping two axes turned the faces inward
        mesh.AppendTriangle(a, c, b);
        mesh.AppendTriangle(a, d, c);
      } else {
        mesh.AppendTriangle(a, b, c);
        mesh.AppendTriangle(a, c, d);
      }
    }
  return mesh;
}

TEST(MeshUnion, CopiesLeftInPlaceAddNothing) {
  // Two linked tori, each given twice (a cutting object copied in place,
  // a file imported twice): the second copy of the second torus used to
  // crash the corefinement.
  const ON_Mesh flat = Torus(3, 1, 24, 12, false, ON_3dVector(0, 0, 0));
  const ON_Mesh upright = Torus(3, 1, 24, 12, true, ON_3dVector(1, 0.5, 0.5));
  ON_SimpleArray<const ON_Mesh*> pair, twice;
  pair.Append(&flat);
  pair.Append(&upright);
  twice = pair;
  twice.Append(&flat);
  twice.Append(&upright);
  OwnedList once, again;
  bool flag = false;
  ASSERT_TRUE(TL_MeshBooleanUnion(pair, kTol, kTol, &flag, once.meshes));
  ASSERT_TRUE(TL_MeshBooleanUnion(twice, kTol, kTol, &flag, again.meshes));
  EXPECT_TRUE(flag);
  EXPECT_NEAR(again.TotalVolume(), once.TotalVolume(), 1e-9);

  // The same four shells in one mesh are united before a cut, and cut as
  // the two given once, in every build.
  ON_Mesh one_mesh, two_mesh;
  for (const ON_Mesh* m : pair)
    one_mesh.Append(*m);
  for (const ON_Mesh* m : twice)
    two_mesh.Append(*m);
  const ON_Mesh box = Box(-5, -5, -5, 5, 1, 5);
  ON_Mesh cut_once, cut_twice;
  TL_MeshBoolean with_once(&one_mesh, &box), with_twice(&two_mesh, &box);
  ASSERT_TRUE(with_once.GetBooleanIntersection(cut_once));
  ASSERT_TRUE(with_twice.GetBooleanIntersection(cut_twice));
  EXPECT_TRUE(ClosedAndOriented(cut_twice));
  EXPECT_NEAR(Volume(cut_twice), Volume(cut_once), 1e-9 * Volume(cut_once));
}

TEST(MeshHeal, FillsAHoleIntoANewTarget) {
  ON_Mesh open = Box(0, 0, 0, 1, 2, 3);
  open.m_F.Remove(1); // the top
  open.DestroyRuntimeCache();
  ON_Mesh target;
  ASSERT_TRUE(TL_HealMesh(open, target, 0.001, true, true));
  EXPECT_TRUE(ClosedAndOriented(target));
  EXPECT_TRUE(HasUnitFaceNormals(target));
  EXPECT_NEAR(Volume(target), 6.0, 1e-6);
  EXPECT_EQ(open.FaceCount(), 5); // the source is untouched
}

TEST(MeshHeal, StitchesABrepMeshInPlace) {
  // Sides meshed apart, one side drawn 0.0005 away: a seam within tolerance.
  ON_Mesh m = UnweldedBoxWithNormals(0, 0, 0, 1, 1, 1);
  for (int v = 4; v < 8; ++v)
    m.m_V[v].z += 0.0005f;
  m.DestroyRuntimeCache();
  ASSERT_TRUE(TL_HealMesh(m, m, 0.001, true, false));
  EXPECT_TRUE(ClosedAndOriented(m));
  EXPECT_NEAR(Volume(m), 1.0, 1e-3);
}

TEST(MeshHeal, FailureLeavesTheTargetAlone) {
  ON_Mesh sheet = Grid(0, 0, 1, 1, 0, 120); // rim of 480 edges: too big a hole
  ON_Mesh target = Box(0, 0, 0, 1, 1, 1);
  EXPECT_FALSE(TL_HealMesh(sheet, target, 0.001, true, true));
  EXPECT_EQ(target.FaceCount(), 6);
  ON_Mesh empty;
  EXPECT_FALSE(TL_HealMesh(empty, target, 0.001, true, true));
  EXPECT_FALSE(TL_HealMesh(empty, empty, 0.001, true, true));
  EXPECT_EQ(target.FaceCount(), 6);
}

} // namespace
