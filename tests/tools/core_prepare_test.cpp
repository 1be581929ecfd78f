// How inputs are made fit before they are cut: shells turned outward (one
// shell is decided by its volume alone), welded soups built straight from
// their arrays when they agree in orientation, surfaces pinched at a vertex
// taken apart there, and self-intersections refused where the cut runs.
#include <gtest/gtest.h>

#include <vector>

#include "core_fixtures.h"
#include "mesh_cleanup.h"
#include "solid_ops.h"
#include "tl_tolerance.h"

namespace meshtools {
namespace {

using namespace test;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

// Every triangle with corners of its own, as a render mesh meshed face by
// face comes.
TriMesh Unweld(const TriMesh& m) {
  TriMesh out;
  for (int c : m.tri) {
    out.AddVertex(m.xyz[3 * c], m.xyz[3 * c + 1], m.xyz[3 * c + 2]);
    out.tri.push_back(out.VertexCount() - 1);
  }
  return out;
}

int Flagged(const std::vector<char>& flip) {
  int n = 0;
  for (char f : flip)
    n += f != 0;
  return n;
}

TEST(Orientation, OneShellIsTurnedOnlyWhenInsideOut) {
  std::vector<char> flip;
  TriMesh sphere = MakeSphere(3, -2, 1, 1.5, 8, 16);
  EXPECT_FALSE(FindInvertedShells(sphere, flip));
  EXPECT_EQ(Flagged(flip), 0);
  FlipAll(sphere);
  EXPECT_TRUE(FindInvertedShells(sphere, flip));
  EXPECT_EQ(Flagged(flip), sphere.TriangleCount());
}

TEST(Orientation, ShellsAreJudgedOneByOneAndCavitiesKept) {
  std::vector<char> flip;
  // A hollow box: the inner shell faces inward on purpose.
  TriMesh hollow = MakeBox(0, 0, 0, 4, 4, 4);
  TriMesh cavity = MakeBox(1, 1, 1, 3, 3, 3);
  FlipAll(cavity);
  Append(hollow, cavity);
  EXPECT_FALSE(FindInvertedShells(hollow, flip));

  // Beside it, apart, a box turned inside out: only its 12 faces turn.
  TriMesh inverted = MakeBox(10, 0, 0, 11, 1, 1);
  FlipAll(inverted);
  Append(hollow, inverted);
  ASSERT_TRUE(FindInvertedShells(hollow, flip));
  EXPECT_EQ(Flagged(flip), 12);
  for (int t = 24; t < 36; ++t)
    EXPECT_TRUE(flip[t]) << t;
}

TEST(Orientation, InsideOutInputsComeOutRight) {
  TriMesh r;
  // Welded and inside out: built directly, then turned.
  TriMesh inverted = MakeSphere(0, 0, 0, 1, 12, 24);
  FlipAll(inverted);
  ASSERT_EQ(CombineSolids(inverted, MakeBox(0, -2, -2, 2, 2, 2), SolidOperation::kDifference, kTol,
                          kTol, r),
            Outcome::kDone);
  EXPECT_TRUE(IsClosedAndOriented(r));
  EXPECT_NEAR(SignedVolume(r), UvSphereVolume(1, 12, 24) / 2, 1e-5);

  // Unwelded and inside out throughout: after welding the triangles agree
  // with each other, so the direct build takes them, and they must still
  // be turned.
  TriMesh unwelded = Unweld(MakeBox(0, 0, 0, 2, 2, 2));
  FlipAll(unwelded);
  ASSERT_EQ(CombineSolids(unwelded, MakeBox(1, 1, 1, 3, 3, 3), SolidOperation::kDifference, kTol,
                          kTol, r),
            Outcome::kDone);
  EXPECT_TRUE(IsClosedAndOriented(r));
  EXPECT_NEAR(SignedVolume(r), 7.0, 1e-9);

  // Unwelded, the cutter too, and the cutter inside out.
  TriMesh cutter = Unweld(MakeSphere(1, 0, 0, 0.5, 8, 16));
  FlipAll(cutter);
  ASSERT_EQ(CombineSolids(Unweld(MakeBox(-1, -1, -1, 1, 1, 1)), cutter,
                          SolidOperation::kIntersection, kTol, kTol, r),
            Outcome::kDone);
  EXPECT_TRUE(IsClosedAndOriented(r));
  EXPECT_NEAR(SignedVolume(r), UvSphereVolume(0.5, 8, 16) / 2, 1e-5);
}

TEST(SurfacePreparation, SurfacePinchedAtOneVertexStillSplits) {
  // Two square sheets meeting only at the corner (1, 1): not one fan around
  // that corner, so the direct build must refuse and the soup road take the
  // two apart. The cutter reaches most of both squares, so neither is left
  // out of the cut as too far away, and holds the pinch inside: a cut
  // through it, where two corners are at one point, would be the surface
  // touching itself.
  TriMesh sheet = MakeGrid(0, 0, 1, 1, 0, 4);
  const int corner = sheet.VertexCount() - 1; // (1, 1)
  Append(sheet, MakeGrid(1, 1, 2, 2, 0, 4));
  for (int& v : sheet.tri)
    if (v == corner + 1) v = corner; // the second sheet's (1, 1)
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(sheet, MakeBox(0.3, 0.3, -1, 1.6, 1.6, 1), kTol, kTol, outside, inside),
            Outcome::kDone);
  EXPECT_NEAR(Area(inside), 0.7 * 0.7 + 0.6 * 0.6, 1e-6);
  EXPECT_NEAR(Area(outside), 2 - 0.7 * 0.7 - 0.6 * 0.6, 1e-6);
}

TEST(SelfIntersection, RefusedWhereTheCutRunsThroughIt) {
  // The cutter is two boxes pushed into each other in one mesh; the sheet
  // passes through the region where their surfaces cross, and is cut by
  // their union: 2 x 2 + 2 x 2 - 1 of it inside.
  TriMesh cutter = MakeBox(0, 0, 0, 2, 2, 2);
  Append(cutter, MakeBox(1, 1, 1, 3, 3, 3));
  TriMesh outside, inside;
  ASSERT_EQ(
      SplitSurface(MakeGrid(-1.25, -1.25, 4.25, 4.25, 1.5, 5), cutter, kTol, kTol, outside, inside),
      Outcome::kDone);
  EXPECT_NEAR(Area(inside), 7.0, 1e-6);
  // A sheet crossing itself along x = 0.25, where the cutter's sides
  // y = ±0.7 cut it.
  TriMesh folded = MakeGrid(-2, -2, 2, 2, 0, 4);
  TriMesh tilted = MakeGrid(-2, -2, 2, 2, 0, 4);
  for (std::size_t v = 0; v + 2 < tilted.xyz.size(); v += 3)
    tilted.xyz[v + 2] = 0.3 * (tilted.xyz[v] - 0.25);
  Append(folded, tilted);
  EXPECT_EQ(SplitSurface(folded, MakeBox(-0.7, -0.7, -1, 0.7, 0.7, 1), kTol, kTol, outside, inside),
            Outcome::kRejected);
}

} // namespace
} // namespace meshtools
