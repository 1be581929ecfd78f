// TL_MeshBoolean as the section and clash code calls it: closed results with
// the right volume, "not cut" when the surfaces do not cross, splits of open
// surfaces, chained differences, and inputs left untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "support/test_meshes.h"
#include "tl_mesh_boolean.h"

namespace {

using namespace test_meshes;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

struct Boolean {
  Boolean(const ON_Mesh& a, const ON_Mesh& b) : op(&a, &b) { op.SetTolerances(kTol, kTol); }
  TL_MeshBoolean op;
};

TEST(MeshBoolean, BoxesFromQuadsGiveClosedResultsWithFaceNormals) {
  const ON_Mesh a = Box(0, 0, 0, 2, 2, 2), b = Box(1, 1, 1, 3, 3, 3);
  ON_Mesh r;
  ASSERT_TRUE(Boolean(a, b).op.GetBooleanIntersection(r));
  EXPECT_TRUE(ClosedAndOriented(r));
  EXPECT_TRUE(HasUnitFaceNormals(r));
  EXPECT_NEAR(Volume(r), 1.0, 1e-9);
  ON_Mesh d;
  ASSERT_TRUE(Boolean(a, b).op.GetBooleanDifference(&d));
  EXPECT_TRUE(ClosedAndOriented(d));
  EXPECT_TRUE(HasUnitFaceNormals(d));
  EXPECT_NEAR(Volume(d), 7.0, 1e-9);
  // Inputs untouched.
  EXPECT_EQ(a.FaceCount(), 6);
  EXPECT_EQ(b.VertexCount(), 8);
}

TEST(MeshBoolean, SphereCutByBoxWithinTessellationError) {
  const ON_Mesh s = Sphere(ON_3dPoint(0, 0, 0), 1, 32, 64);
  ON_Mesh upper;
  ASSERT_TRUE(Boolean(s, Box(-2, -2, 0, 2, 2, 2)).op.GetBooleanIntersection(upper));
  EXPECT_TRUE(ClosedAndOriented(upper));
  EXPECT_NEAR(Volume(upper), Volume(s) / 2, 1e-5);
  EXPECT_NEAR(Volume(upper), 2 * std::numbers::pi / 3, 0.01);
  // A box corner cut off the sphere: inside the box lies an eighth.
  ON_Mesh rest;
  ASSERT_TRUE(Boolean(s, Box(0, 0, 0, 2, 2, 2)).op.GetBooleanDifference(rest));
  EXPECT_TRUE(ClosedAndOriented(rest));
  EXPECT_NEAR(Volume(rest), Volume(s) * 7 / 8, 1e-5);
}

TEST(MeshBoolean, BrepRenderMeshesWithUnweldedSidesAreWeldedFirst) {
  const ON_Mesh a = UnweldedBoxWithNormals(0, 0, 0, 2, 2, 2),
                b = UnweldedBoxWithNormals(1, -1, -1, 3, 1, 1);
  ON_Mesh r;
  ASSERT_TRUE(Boolean(a, b).op.GetBooleanDifference(r));
  EXPECT_TRUE(ClosedAndOriented(r));
  EXPECT_NEAR(Volume(r), 8 - 1, 1e-9);
}

TEST(MeshBoolean, CuttersFlushWithFacesOrSharingEdgesAndCorners) {
  const ON_Mesh a = Box(0, 0, 0, 1, 1, 1);
  struct Case {
    ON_Mesh cutter;
    double difference;
  } cases[] = {
      {Box(0.5, 0, 0, 1.5, 1, 1), 0.5},                         // four faces flush
      {Box(0, 0, 0, 1, 1, 0.25), 0.75},                         // five faces flush, same corners
      {Box(0.5, 0.5, -1, 1, 1, 2), 0.75},                       // shares an edge
      {Box(0.5, 0.5, 0.5, 1, 1, 1), 0.875},                     // shares a corner, inside
      {Box(0.75, 0.75, 0.75, 2, 2, 2), 1 - 0.25 * 0.25 * 0.25}, // cuts a corner off
  };
  for (const Case& c : cases) {
    ON_Mesh d, i;
    ASSERT_TRUE(Boolean(a, c.cutter).op.GetBooleanDifference(d));
    ASSERT_TRUE(Boolean(a, c.cutter).op.GetBooleanIntersection(i));
    EXPECT_TRUE(ClosedAndOriented(d));
    EXPECT_TRUE(ClosedAndOriented(i));
    EXPECT_NEAR(Volume(d), c.difference, 1e-9);
    EXPECT_NEAR(Volume(i), 1 - c.difference, 1e-9);
  }
}

TEST(MeshBoolean, FalseWhenTheSurfacesDoNotCross) {
  const ON_Mesh big = Box(0, 0, 0, 4, 4, 4), small = Box(1, 1, 1, 2, 2, 2),
                far = Box(9, 9, 9, 10, 10, 10);
  ON_Mesh r = Box(0, 0, 0, 1, 1, 1); // a failed call leaves it as it was
  EXPECT_FALSE(Boolean(big, small).op.GetBooleanIntersection(r));
  EXPECT_FALSE(Boolean(small, big).op.GetBooleanIntersection(r));
  EXPECT_FALSE(Boolean(big, small).op.GetBooleanDifference(r));
  EXPECT_FALSE(Boolean(big, far).op.GetBooleanDifference(r));
  // Touching at a corner only.
  EXPECT_FALSE(Boolean(big, Box(4, 4, 4, 5, 5, 5)).op.GetBooleanIntersection(r));
  EXPECT_EQ(r.FaceCount(), 6);
  EXPECT_NEAR(Volume(r), 1.0, 1e-12);
}

TEST(MeshBoolean, SurfacesTouchingAlongAFaceOrEdgeGiveTheExactResult) {
  // The surfaces meet, so the result is computed rather than left to a point
  // test, whose point might lie on the shared face.
  const ON_Mesh a = Box(0, 0, 0, 4, 4, 4);
  for (const ON_Mesh& outside : {Box(4, 0, 0, 5, 4, 4), Box(4, 4, 0, 5, 5, 4)}) {
    ON_Mesh d, i;
    ASSERT_TRUE(Boolean(a, outside).op.GetBooleanDifference(d));
    EXPECT_TRUE(ClosedAndOriented(d));
    EXPECT_NEAR(Volume(d), 64, 1e-9);
    ASSERT_TRUE(Boolean(a, outside).op.GetBooleanIntersection(i));
    EXPECT_EQ(i.FaceCount(), 0);
  }
  // Touching from inside: the cutter shares part of a side.
  ON_Mesh i;
  ASSERT_TRUE(Boolean(a, Box(1, 1, 0, 2, 2, 1)).op.GetBooleanIntersection(i));
  EXPECT_NEAR(Volume(i), 1, 1e-9);
}

TEST(MeshBoolean, ChainedDifferencesOfFloatResultsStayValid) {
  // Each difference is fed back as A, after the round trip through floats.
  ON_Mesh w = Sphere(ON_3dPoint(0, 0, 0), 1, 16, 32);
  const ON_Mesh cutters[] = {
      Box(-0.3, -0.3, -2, 0.3, 0.3, 2), Sphere(ON_3dPoint(0.8, 0.2, 0.1), 0.4, 12, 24),
      Box(-2, -0.1, -0.1, 2, 0.1, 0.1), Sphere(ON_3dPoint(-0.7, -0.4, 0.3), 0.45, 10, 20),
      Box(-2, -2, 0.6, 2, 2, 2),        Box(-2, -2, -0.6, 2, 2, -0.55)};
  double last = Volume(w);
  for (const ON_Mesh& c : cutters) {
    ON_Mesh next;
    ASSERT_TRUE(Boolean(w, c).op.GetBooleanDifference(next));
    ASSERT_TRUE(ClosedAndOriented(next));
    EXPECT_LT(Volume(next), last);
    last = Volume(next);
    w = next;
  }
  EXPECT_GT(last, 0.5);
}

TEST(MeshBoolean, ResultMayBeOneOfTheInputs) {
  ON_Mesh a = Box(0, 0, 0, 2, 2, 2);
  const ON_Mesh b = Box(1, 1, 1, 3, 3, 3);
  TL_MeshBoolean op(&a, &b);
  ASSERT_TRUE(op.GetBooleanDifference(a));
  EXPECT_NEAR(Volume(a), 7.0, 1e-9);
  EXPECT_TRUE(ClosedAndOriented(a));
}

TEST(MeshBoolean, AMeshWithItself) {
  // Every face coincides with a face of the other operand.
  const ON_Mesh s = Sphere(ON_3dPoint(0, 0, 0), 1, 8, 16);
  ON_Mesh i, d;
  if (Boolean(s, s).op.GetBooleanIntersection(i)) {
    EXPECT_TRUE(ClosedAndOriented(i));
    EXPECT_NEAR(Volume(i), Volume(s), 1e-6);
  }
  if (Boolean(s, s).op.GetBooleanDifference(d)) {
    EXPECT_EQ(d.FaceCount(), 0);
  }
}

TEST(MeshSplit, QuadGridSplitByBox) {
  const ON_Mesh grid = Grid(-2, -2, 2, 2, 0.25, 10);
  const ON_Mesh box = Box(-1.1, -0.7, -1, 0.9, 1.3, 1);
  ON_Mesh outside, inside;
  ASSERT_TRUE(Boolean(grid, box).op.GetMeshASplit(outside, inside));
  EXPECT_NEAR(Area(inside), 2.0 * 2.0, 1e-5);
  EXPECT_NEAR(Area(outside), 16 - 4.0, 1e-5);
  EXPECT_TRUE(HasUnitFaceNormals(inside));
  EXPECT_TRUE(HasUnitFaceNormals(outside));
  EXPECT_FALSE(ClosedAndOriented(inside));
}

TEST(MeshSplit, SurfaceLyingOnTheCuttersFaceCountsInside) {
  const ON_Mesh grid = Grid(-2, -2, 2, 2, 0, 4);
  ON_Mesh outside, inside;
  ASSERT_TRUE(Boolean(grid, Box(-1, -1, 0, 1, 1, 1)).op.GetMeshASplit(&outside, &inside));
  EXPECT_NEAR(Area(inside), 4.0, 1e-9);
  EXPECT_NEAR(Area(outside), 12.0, 1e-9);
}

TEST(MeshSplit, FalseWhenNotCutOrCutterOpen) {
  const ON_Mesh grid = Grid(-0.5, -0.5, 0.5, 0.5, 0, 2);
  ON_Mesh outside, inside;
  EXPECT_FALSE(Boolean(grid, Box(-1, -1, -1, 1, 1, 1)).op.GetMeshASplit(outside, inside));
  EXPECT_FALSE(Boolean(grid, Grid(-1, -1, 1, 1, 0.1, 2)).op.GetMeshASplit(outside, inside));
  EXPECT_FALSE(Boolean(grid, Box(-1, -1, -1, 1, 1, 1)).op.GetMeshASplit(outside, outside));
  EXPECT_EQ(outside.FaceCount(), 0);
  EXPECT_EQ(inside.FaceCount(), 0);
}

TEST(MeshBoolean, RunsOnTwoThreadsAtOnce) {
  // The UI thread and the clash worker use the tools at the same time, also
  // over the same input meshes.
  const ON_Mesh s = Sphere(ON_3dPoint(0, 0, 0), 1, 16, 32), b = Box(0, 0, 0, 2, 2, 2);
  double v[2] = {0, 0};
  auto work = [&](int k) {
    for (int i = 0; i < 4; ++i) {
      ON_Mesh r;
      if (TL_MeshBoolean(&s, &b).GetBooleanIntersection(r)) v[k] += Volume(r);
    }
  };
  std::thread t0(work, 0), t1(work, 1);
  t0.join();
  t1.join();
  EXPECT_NEAR(v[0], 4 * Volume(s) / 8, 1e-5);
  EXPECT_DOUBLE_EQ(v[0], v[1]);
}

} // namespace
