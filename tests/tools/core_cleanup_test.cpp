// Input hygiene on plain meshes: what counts as well formed, and how welding
// closes seams without eating real detail.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core_fixtures.h"
#include "tl_tolerance.h"
#include "mesh_cleanup.h"

namespace meshtools {
namespace {

using test::IsClosedAndOriented;
using test::MakeBox;
using test::MakeUnweldedBox;

TEST(MeshCleanup, RefusesNonFiniteHugeAndDanglingInput) {
  TriMesh box = MakeBox(0, 0, 0, 1, 1, 1);
  EXPECT_TRUE(IsWellFormed(box));

  TriMesh nan = box;
  nan.xyz[4] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(IsWellFormed(nan));

  TriMesh inf = box;
  inf.xyz[0] = -std::numeric_limits<double>::infinity();
  EXPECT_FALSE(IsWellFormed(inf));

  TriMesh huge = box;
  huge.xyz[2] = 1e20;
  EXPECT_FALSE(IsWellFormed(huge));

  TriMesh dangling = box;
  dangling.tri[5] = 8;
  EXPECT_FALSE(IsWellFormed(dangling));
  dangling.tri[5] = -1;
  EXPECT_FALSE(IsWellFormed(dangling));
}

TEST(MeshCleanup, WeldDistanceNeverBelowFloatResolution) {
  TriMesh far = MakeBox(1000, 1000, 1000, 1001, 1001, 1001);
  // 1001 * 2 * FLT_EPSILON is about 2.4e-4, far above the boolean tolerance.
  EXPECT_GT(WeldDistance(far, TL_BOOLEAN_TOLERANCE), 2e-4);
  EXPECT_LT(WeldDistance(far, TL_BOOLEAN_TOLERANCE), 3e-4);
  TriMesh unit = MakeBox(0, 0, 0, 1, 1, 1);
  EXPECT_DOUBLE_EQ(WeldDistance(unit, 0.01), 0.01);
  EXPECT_GT(WeldDistance(unit, std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_GT(WeldDistance(unit, -5.0), 0.0);
}

TEST(MeshCleanup, WeldClosesUnweldedSidesIntoOneSolid) {
  TriMesh box = MakeUnweldedBox(0, 0, 0, 2, 3, 4);
  ASSERT_EQ(box.VertexCount(), 24);
  EXPECT_FALSE(IsClosedAndOriented(box));
  EXPECT_EQ(WeldVertices(box, 1e-9), 16);
  EXPECT_EQ(box.VertexCount(), 8);
  EXPECT_EQ(box.TriangleCount(), 12);
  EXPECT_TRUE(IsClosedAndOriented(box));
  EXPECT_NEAR(test::SignedVolume(box), 24.0, 1e-12);
}

TEST(MeshCleanup, WeldJoinsNearbyPointsAcrossCellBordersButNotFartherOnes) {
  TriMesh m;
  // Pairs straddling the origin, where grid cells meet, within the distance.
  m.AddVertex(-1e-7, 0, 0);
  m.AddVertex(1e-7, 0, 0);
  m.AddVertex(5, 5, 5);
  m.AddVertex(5, 5, 5.01); // beyond the distance: stays
  m.AddTriangle(0, 2, 3);
  m.AddTriangle(1, 3, 2);
  EXPECT_EQ(WeldVertices(m, 1e-6), 1);
  EXPECT_EQ(m.VertexCount(), 3);
  EXPECT_EQ(m.TriangleCount(), 2);
}

TEST(MeshCleanup, WeldDropsTrianglesItCollapses) {
  TriMesh m;
  m.AddVertex(0, 0, 0);
  m.AddVertex(1, 0, 0);
  m.AddVertex(1, 1e-9, 0); // a sliver: its short edge collapses
  m.AddVertex(0, 1, 0);
  m.AddTriangle(0, 1, 2);
  m.AddTriangle(0, 2, 3);
  EXPECT_EQ(WeldVertices(m, 1e-6), 1);
  EXPECT_EQ(m.TriangleCount(), 1);
  EXPECT_EQ(m.VertexCount(), 3);
}

TEST(MeshCleanup, BoundaryWeldLeavesTheInteriorAlone) {
  // A fine fan whose inner vertices lie closer than the distance, and a
  // naked seam gap wider than the fan spacing.
  TriMesh m;
  m.AddVertex(0, 0, 0);       // 0 centre, interior
  m.AddVertex(0.001, 0, 0);   // 1 interior, close to the centre
  m.AddVertex(1, -1, 0);      // 2
  m.AddVertex(1, 1, 0);       // 3
  m.AddVertex(-1, 1, 0);      // 4
  m.AddVertex(-1, -1, 0);     // 5
  m.AddVertex(-1, -1.005, 0); // 6 naked, near 5
  m.AddTriangle(0, 1, 3);
  m.AddTriangle(1, 2, 3);
  m.AddTriangle(0, 3, 4);
  m.AddTriangle(0, 4, 5);
  m.AddTriangle(0, 6, 1);
  m.AddTriangle(1, 6, 2);
  const int before = m.VertexCount();
  EXPECT_EQ(WeldBoundaryVertices(m, 0.01), 1);
  EXPECT_EQ(m.VertexCount(), before - 1);
  EXPECT_EQ(m.TriangleCount(), 6); // the interior pair 0-1 was not welded
}

TEST(MeshCleanup, CompactionKeepsGeometryAndOrder) {
  TriMesh m;
  m.AddVertex(9, 9, 9); // unused
  m.AddVertex(0, 0, 0);
  m.AddVertex(1, 0, 0);
  m.AddVertex(0, 1, 0);
  m.AddTriangle(1, 2, 3);
  m.AddTriangle(1, 1, 2); // collapsed
  EXPECT_EQ(DropCollapsedTriangles(m), 1);
  RemoveUnusedVertices(m);
  ASSERT_EQ(m.VertexCount(), 3);
  EXPECT_EQ(m.tri, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.xyz[3], 1.0);
}

} // namespace
} // namespace meshtools
