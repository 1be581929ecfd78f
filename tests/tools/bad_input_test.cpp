// Unfit input through every public tool: no crash, hang, leak or exception,
// and false (or nothing appended) wherever no sound result exists.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "meshtools.h"
#include "support/test_meshes.h"

namespace {

using namespace test_meshes;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

struct OwnedList {
  ON_SimpleArray<ON_Mesh*> meshes;
  ~OwnedList() {
    for (ON_Mesh* m : meshes)
      delete m;
  }
};

// Runs every tool with `bad` against a sound box that overlaps it, in both
// roles. Returns how many calls reported success.
int RunEverything(const ON_Mesh& bad) {
  const ON_Mesh box = Box(-0.5, -0.5, -0.5, 0.75, 0.75, 0.75);
  int successes = 0;
  for (int role = 0; role < 2; ++role) {
    const ON_Mesh* a = role == 0 ? &bad : &box;
    const ON_Mesh* b = role == 0 ? &box : &bad;
    TL_MeshBoolean op(a, b);
    op.SetTolerances(kTol, kTol);
    ON_Mesh r, s;
    successes += op.GetBooleanIntersection(r);
    successes += op.GetBooleanDifference(r);
    successes += op.GetMeshASplit(r, s);
  }
  ON_SimpleArray<const ON_Mesh*> sources;
  sources.Append(&bad);
  sources.Append(&box);
  OwnedList out;
  TL_MeshBooleanUnion(sources, kTol, kTol, nullptr, out.meshes);
  ON_Mesh healed;
  successes += TL_HealMesh(bad, healed, 0.001, true, true);
  RhinoSplitDisjointMesh(bad, out.meshes, false);
  return successes;
}

ON_Mesh WithVertex(float x) {
  ON_Mesh m = Box(0, 0, 0, 1, 1, 1);
  m.m_V[6].x = x;
  m.DestroyRuntimeCache();
  return m;
}

TEST(BadInput, NonFiniteAndAbsurdCoordinatesAreRefused) {
  EXPECT_EQ(RunEverything(WithVertex(std::numeric_limits<float>::quiet_NaN())), 0);
  EXPECT_EQ(RunEverything(WithVertex(std::numeric_limits<float>::infinity())), 0);
  EXPECT_EQ(RunEverything(WithVertex(1e30f)), 0);
  EXPECT_EQ(RunEverything(WithVertex(ON_UNSET_FLOAT)), 0);
}

TEST(BadInput, EmptyAndDanglingMeshesAreRefused) {
  EXPECT_EQ(RunEverything(ON_Mesh()), 0);
  ON_Mesh points;
  for (int i = 0; i < 5; ++i)
    points.AppendVertex(ON_3dPoint(i, 0, 0));
  EXPECT_EQ(RunEverything(points), 0);
  ON_Mesh dangling = Box(0, 0, 0, 1, 1, 1);
  dangling.m_F[2].vi[3] = 1000;
  EXPECT_EQ(RunEverything(dangling), 0);
  TL_MeshBoolean nulls(nullptr, nullptr);
  ON_Mesh r;
  EXPECT_FALSE(nulls.GetBooleanIntersection(r));
  EXPECT_FALSE(nulls.GetMeshASplit(nullptr, nullptr));
}

TEST(BadInput, DegenerateOnlyMeshesAreRefused) {
  ON_Mesh flat;
  for (int i = 0; i < 4; ++i)
    flat.AppendVertex(ON_3dPoint(0.1 * i, 0.2, 0.2));
  flat.AppendTriangle(0, 1, 2);
  flat.AppendTriangle(1, 3, 2);
  flat.AppendTriangle(0, 2, 3);
  flat.AppendTriangle(0, 3, 1);
  EXPECT_EQ(RunEverything(flat), 0);
  ON_Mesh collapsed = Box(0, 0, 0, 1, 1, 1);
  for (ON_MeshFace& f : collapsed.m_F)
    f.vi[1] = f.vi[2] = f.vi[3] = f.vi[0];
  collapsed.DestroyRuntimeCache();
  EXPECT_EQ(RunEverything(collapsed), 0);
}

TEST(BadInput, NonManifoldSolidsAreRefusedAsSolids) {
  // Three boxes around one edge: four faces meet along it.
  ON_Mesh fin = Box(0, 0, 0, 0.5, 0.5, 1);
  fin.Append(Box(0.5, 0.5, 0, 1, 1, 1));
  fin.CombineIdenticalVertices(true, true);
  TL_MeshBoolean op(&fin, nullptr);
  const ON_Mesh cutter = Box(0.25, 0.25, 0.25, 0.75, 0.75, 0.75);
  TL_MeshBoolean cut(&fin, &cutter);
  ON_Mesh r;
  EXPECT_FALSE(cut.GetBooleanDifference(r));
  EXPECT_FALSE(cut.GetBooleanIntersection(r));
  RunEverything(fin); // whatever the split makes of it, it must not crash
}

TEST(BadInput, OverlappingShellsAreCutAsTheirUnionWhereTheCutterCrosses) {
  // Two shells running into each other where the slab crosses them: as
  // their union (volume 15, section 2 x 2 + 2 x 2 - 1 across x).
  ON_Mesh crossing = Box(0, 0, 0, 2, 2, 2);
  crossing.Append(Box(1, 1, 1, 3, 3, 3));
  const ON_Mesh slab = Box(1.5, -1, -1, 1.7, 4, 4);
  ON_Mesh r;
  ASSERT_TRUE(TL_MeshBoolean(&crossing, &slab).GetBooleanDifference(r));
  EXPECT_TRUE(ClosedAndOriented(r));
  EXPECT_NEAR(Volume(r), 15.0 - 0.2 * 7.0, 1e-6);
  ASSERT_TRUE(TL_MeshBoolean(&slab, &crossing).GetBooleanIntersection(r));
  EXPECT_NEAR(Volume(r), 0.2 * 7.0, 1e-6);
}

TEST(BadInput, RandomSoupsNeverBreakTheTools) {
  std::mt19937 rng(20261207);
  std::uniform_real_distribution<float> coord(-1.0f, 1.0f);
  for (int round = 0; round < 40; ++round) {
    ON_Mesh soup;
    const int nv = 4 + round % 9;
    for (int i = 0; i < nv; ++i)
      soup.AppendVertex(ON_3dPoint(coord(rng), coord(rng), coord(rng)));
    std::uniform_int_distribution<int> pick(0, nv - 1);
    for (int f = 0; f < 6 + round % 11; ++f) {
      if (f % 3 == 0)
        soup.AppendQuad(pick(rng), pick(rng), pick(rng), pick(rng));
      else
        soup.AppendTriangle(pick(rng), pick(rng), pick(rng));
    }
    const ON_Mesh box = Box(-0.5, -0.5, -0.5, 0.75, 0.75, 0.75);
    ON_Mesh r;
    // Whatever comes back as success must be a sound solid.
    if (TL_MeshBoolean(&soup, &box).GetBooleanDifference(r)) {
      EXPECT_TRUE(ClosedAndOriented(r)) << round;
    }
    if (TL_MeshBoolean(&box, &soup).GetBooleanDifference(r)) {
      EXPECT_TRUE(ClosedAndOriented(r)) << round;
    }
    if (TL_HealMesh(soup, r, 0.001, true, true)) {
      EXPECT_TRUE(ClosedAndOriented(r)) << round;
    }
    RunEverything(soup);
  }
}

} // namespace
