// Intersection, difference and split on plain meshes, checked by the
// geometry of the results: volumes, areas, closedness and orientation.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <set>

#include "core_fixtures.h"
#include "solid_ops.h"
#include "tl_tolerance.h"

namespace meshtools {
namespace {

using namespace test;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;
// Results come back in single precision, as the host stores them.
constexpr double kFloat = 1e-6;

Outcome Intersect(const TriMesh& a, const TriMesh& b, TriMesh& r) {
  return CombineSolids(a, b, SolidOperation::kIntersection, kTol, kTol, r);
}
Outcome Subtract(const TriMesh& a, const TriMesh& b, TriMesh& r) {
  return CombineSolids(a, b, SolidOperation::kDifference, kTol, kTol, r);
}

void ExpectSolid(const TriMesh& m, double volume, double tol) {
  EXPECT_TRUE(IsClosedAndOriented(m));
  EXPECT_NEAR(SignedVolume(m), volume, tol);
}

TEST(SolidBooleans, OverlappingBoxes) {
  const TriMesh a = MakeBox(0, 0, 0, 2, 2, 2), b = MakeBox(1, 1, 1, 3, 4, 5);
  TriMesh r;
  ASSERT_EQ(Intersect(a, b, r), Outcome::kDone);
  ExpectSolid(r, 1.0, 1e-9);
  ASSERT_EQ(Subtract(a, b, r), Outcome::kDone);
  ExpectSolid(r, 7.0, 1e-9);
  // The cap of the difference is on B's surface, so the result's area is
  // the box's minus three unit squares plus three unit squares.
  EXPECT_NEAR(Area(r), 24.0, 1e-9);
}

TEST(SolidBooleans, SphereAndBoxWithinTessellationError) {
  const int rings = 24, segs = 48;
  const TriMesh s = MakeSphere(0, 0, 0, 1, rings, segs);
  ASSERT_GT(SignedVolume(s), 0);
  // Keep the half of the sphere above z = 0; the polyhedron is symmetric.
  const TriMesh box = MakeBox(-2, -2, 0, 2, 2, 2);
  TriMesh r;
  ASSERT_EQ(Intersect(s, box, r), Outcome::kDone);
  ExpectSolid(r, UvSphereVolume(1, rings, segs) / 2, kFloat);
  EXPECT_NEAR(SignedVolume(r), 2 * std::numbers::pi / 3, 0.02);
  ASSERT_EQ(Subtract(s, box, r), Outcome::kDone);
  ExpectSolid(r, UvSphereVolume(1, rings, segs) / 2, kFloat);
}

TEST(SolidBooleans, CoplanarSharedEdgeAndSharedVertexCutters) {
  const TriMesh a = MakeBox(0, 0, 0, 1, 1, 1);
  TriMesh r;
  // Cutter flush with four faces of A: the difference keeps half the box.
  ASSERT_EQ(Subtract(a, MakeBox(0.5, 0, 0, 1.5, 1, 1), r), Outcome::kDone);
  ExpectSolid(r, 0.5, 1e-12);
  ASSERT_EQ(Intersect(a, MakeBox(0.5, 0, 0, 1.5, 1, 1), r), Outcome::kDone);
  ExpectSolid(r, 0.5, 1e-12);
  // A cutter that shares an edge of A and cuts a quarter out of it.
  ASSERT_EQ(Subtract(a, MakeBox(0.5, 0.5, -1, 1, 1, 2), r), Outcome::kDone);
  ExpectSolid(r, 0.75, 1e-12);
  // A cutter with a corner on A's corner and one inside.
  ASSERT_EQ(Subtract(a, MakeBox(0.5, 0.5, 0.5, 1, 1, 1), r), Outcome::kDone);
  ExpectSolid(r, 0.875, 1e-12);
}

TEST(SolidBooleans, SurfacesThatDoNotCrossAreNotCut) {
  const TriMesh a = MakeBox(0, 0, 0, 4, 4, 4);
  TriMesh r;
  EXPECT_EQ(Intersect(a, MakeBox(1, 1, 1, 2, 2, 2), r), Outcome::kNotCut);  // B inside A
  EXPECT_EQ(Subtract(MakeBox(1, 1, 1, 2, 2, 2), a, r), Outcome::kNotCut);   // A inside B
  EXPECT_EQ(Subtract(a, MakeBox(10, 0, 0, 11, 1, 1), r), Outcome::kNotCut); // far apart
  // Boxes overlap but the solids do not.
  EXPECT_EQ(Intersect(MakeSphere(0, 0, 0, 1, 8, 16), MakeBox(0.9, 0.9, 0.9, 2, 2, 2), r),
            Outcome::kNotCut);
  EXPECT_TRUE(r.Empty());
}

TEST(SolidBooleans, ChainedDifferencesStayValid) {
  TriMesh w = MakeSphere(0, 0, 0, 1, 16, 32);
  TriMesh r;
  // Drill along three axes, then take a slice off: each result feeds the next.
  const TriMesh cutters[] = {MakeBox(-0.2, -0.2, -2, 0.2, 0.2, 2),
                             MakeBox(-2, -0.2, -0.2, 2, 0.2, 0.2),
                             MakeBox(-0.2, -2, -0.2, 0.2, 2, 0.2),
                             MakeSphere(0.9, 0, 0.3, 0.35, 12, 24), MakeBox(0.1, -2, -2, 2, 2, 2)};
  double last = SignedVolume(w);
  for (const TriMesh& c : cutters) {
    ASSERT_EQ(Subtract(w, c, r), Outcome::kDone);
    EXPECT_TRUE(IsClosedAndOriented(r));
    EXPECT_LT(SignedVolume(r), last);
    last = SignedVolume(r);
    w = r;
  }
  EXPECT_GT(last, 0.5);
}

TEST(SolidBooleans, RepairsOrientationAndSeamsBeforeCutting) {
  TriMesh inverted = MakeBox(0, 0, 0, 2, 2, 2);
  FlipAll(inverted);
  TriMesh r;
  ASSERT_EQ(Intersect(inverted, MakeBox(1, 1, 1, 3, 3, 3), r), Outcome::kDone);
  ExpectSolid(r, 1.0, 1e-9);
  // Sides meshed separately, one of them turned the wrong way.
  TriMesh unwelded = MakeUnweldedBox(0, 0, 0, 2, 2, 2);
  std::swap(unwelded.tri[1], unwelded.tri[2]);
  std::swap(unwelded.tri[4], unwelded.tri[5]);
  ASSERT_EQ(Subtract(unwelded, MakeBox(1, 1, 1, 3, 3, 3), r), Outcome::kDone);
  ExpectSolid(r, 7.0, 1e-9);
}

TEST(SolidBooleans, UnfitInputIsRefused) {
  const TriMesh cutter = MakeBox(0.5, 0.5, 0.5, 3, 3, 3);
  TriMesh r;
  TriMesh open = MakeBox(0, 0, 0, 1, 1, 1);
  open.tri.resize(open.tri.size() - 6);
  EXPECT_EQ(Intersect(open, cutter, r), Outcome::kRejected);
  EXPECT_EQ(Intersect(cutter, open, r), Outcome::kRejected);
  EXPECT_EQ(Intersect(TriMesh{}, cutter, r), Outcome::kRejected);

  TriMesh nan = MakeBox(0, 0, 0, 1, 1, 1);
  nan.xyz[0] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Subtract(nan, cutter, r), Outcome::kRejected);

  // Two solids sharing one edge in one mesh: non-manifold along that edge.
  TriMesh pair = MakeBox(0, 0, 0, 1, 1, 1);
  Append(pair, MakeBox(1, 1, 0, 2, 2, 1));
  EXPECT_EQ(Subtract(pair, cutter, r), Outcome::kRejected);

  // Two boxes sharing one corner vertex: the surface is pinched there, and
  // taken apart there it bounds both boxes; the cutter holds the pinch.
  TriMesh pinched = MakeBox(0, 0, 0, 1, 1, 1);
  TriMesh corner = MakeBox(1, 1, 1, 2, 2, 2);
  for (int& c : corner.tri)
    c = c == 0 ? -7 : c + 8; // its corner 0 is A's corner 7
  for (int& c : corner.tri)
    c = c == -7 ? 7 : c;
  pinched.xyz.insert(pinched.xyz.end(), corner.xyz.begin(), corner.xyz.end());
  pinched.tri.insert(pinched.tri.end(), corner.tri.begin(), corner.tri.end());
  ASSERT_EQ(Intersect(pinched, cutter, r), Outcome::kDone);
  ExpectSolid(r, 0.125 + 1.0, 1e-9);

  // Two boxes pushed into each other in one mesh: cut as their union, whose
  // section across x is 2 x 2 + 2 x 2 - 1.
  TriMesh crossing = MakeBox(0, 0, 0, 2, 2, 2);
  Append(crossing, MakeBox(1, 1, 1, 3, 3, 3));
  ASSERT_EQ(Intersect(crossing, MakeBox(1.5, -1, -1, 1.7, 4, 4), r), Outcome::kDone);
  ExpectSolid(r, 0.2 * 7.0, 1e-6);

  // All corners on one line: nothing left after degenerate faces go.
  TriMesh flat;
  for (int i = 0; i < 4; ++i)
    flat.AddVertex(i, 1, 1);
  flat.AddTriangle(0, 1, 2);
  flat.AddTriangle(1, 2, 3);
  flat.AddTriangle(0, 2, 3);
  flat.AddTriangle(0, 3, 1);
  EXPECT_EQ(Intersect(flat, cutter, r), Outcome::kRejected);
}

TEST(SolidBooleans, LargeOffsetsKeepTheirShape) {
  const double o = 1e5;
  const TriMesh a = MakeBox(o, o, o, o + 2, o + 2, o + 2),
                b = MakeBox(o + 1, o + 1, o + 1, o + 3, o + 3, o + 3);
  TriMesh r;
  ASSERT_EQ(Subtract(a, b, r), Outcome::kDone);
  Translate(r, -o, -o, -o);
  ExpectSolid(r, 7.0, 1e-6);
}

TEST(SurfaceSplit, GridByBoxSplitsAreaInsideAndOutside) {
  const TriMesh grid = MakeGrid(-2, -2, 2, 2, 0.3, 8);
  const TriMesh box = MakeBox(-1, -0.5, -1, 0.7, 1.25, 1);
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(grid, box, kTol, kTol, outside, inside), Outcome::kDone);
  EXPECT_NEAR(Area(inside), 1.7 * 1.75, kFloat);
  EXPECT_NEAR(Area(outside), 16 - 1.7 * 1.75, kFloat);
  EXPECT_FALSE(IsClosedAndOriented(inside));
}

TEST(SurfaceSplit, SheetWithAHoleKeepsBothRims) {
  TriMesh grid = MakeGrid(-2, -2, 2, 2, 0.5, 4);
  // Drop the cell [0,1]x[0,1]: a second rim inside the box's footprint.
  grid.tri.erase(grid.tri.begin() + 6 * 10, grid.tri.begin() + 6 * 11);
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(grid, MakeBox(-1.5, -1.5, 0, 1.5, 1.5, 1), kTol, kTol, outside, inside),
            Outcome::kDone);
  EXPECT_NEAR(Area(inside), 9 - 1, kFloat);
  EXPECT_NEAR(Area(outside), 16 - 9, kFloat);
}

TEST(SurfaceSplit, SurfaceThroughSphereSplitsIntoDiskAndRest) {
  const TriMesh grid = MakeGrid(-2, -2, 2, 2, 0, 4);
  const TriMesh sphere = MakeSphere(0, 0, 0, 1, 12, 24);
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(grid, sphere, kTol, kTol, outside, inside), Outcome::kDone);
  // The equator is a regular 24-gon of circumradius 1.
  const double polygon = 24 * std::sin(2 * std::numbers::pi / 24) / 2;
  EXPECT_NEAR(Area(inside), polygon, kFloat);
  EXPECT_NEAR(Area(outside), 16 - polygon, kFloat);
}

TEST(SurfaceSplit, LargeSheetBySmallCutterComesBackInOnePiece) {
  // Most of the sheet is far from the cutter and skips the cut; the outside
  // must still be one sheet, joined where the cut part was taken out, not
  // two meshes with a seam of doubled vertices.
  const TriMesh grid = MakeGrid(-4, -4, 4, 4, 0.1, 32);
  const TriMesh box = MakeBox(-0.6, -0.45, -1, 0.55, 0.7, 1);
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(grid, box, kTol, kTol, outside, inside), Outcome::kDone);
  EXPECT_NEAR(Area(inside), 1.15 * 1.15, kFloat);
  EXPECT_NEAR(Area(outside), 64 - 1.15 * 1.15, 1e-5);
  std::set<std::array<double, 3>> positions;
  for (int v = 0; v < outside.VertexCount(); ++v)
    positions.insert({outside.xyz[3 * v], outside.xyz[3 * v + 1], outside.xyz[3 * v + 2]});
  EXPECT_EQ(static_cast<int>(positions.size()), outside.VertexCount());
}

TEST(SurfaceSplit, WhatLiesInsideTheCuttersBoxAwayFromItsSurfaceTakesItsSideUncut) {
  // A sheet through a large sphere, whose box holds most of the sheet: only
  // the sheet near the equator is cut. The rest of the box's share, inside
  // the circle and in the box's corners outside the sphere, takes the side
  // of the cut pieces it joins. Two islands touch no cut piece: one inside
  // the sphere, one in the box's corner outside it, each decided alone.
  TriMesh surface = MakeGrid(-3, -3, 3, 3, 0, 48);
  Append(surface, MakeGrid(-0.5, -0.5, 0.5, 0.5, 1, 2));
  Append(surface, MakeGrid(2, 2, 2.4, 2.4, 2, 2));
  const double r = 2.5;
  const TriMesh sphere = MakeSphere(0, 0, 0, r, 24, 48);
  TriMesh outside, inside;
  ASSERT_EQ(SplitSurface(surface, sphere, kTol, kTol, outside, inside), Outcome::kDone);
  // The equator is a regular 48-gon of circumradius r.
  const double disk = 48 * std::sin(2 * std::numbers::pi / 48) / 2 * r * r;
  EXPECT_NEAR(Area(inside), disk + 1.0, 1e-5);
  EXPECT_NEAR(Area(outside), 36 - disk + 0.4 * 0.4, 1e-5);
}

TEST(SurfaceSplit, NotCutWhenSurfaceMissesOrLiesInside) {
  TriMesh outside, inside;
  const TriMesh box = MakeBox(-1, -1, -1, 1, 1, 1);
  EXPECT_EQ(SplitSurface(MakeGrid(-0.5, -0.5, 0.5, 0.5, 0, 2), box, kTol, kTol, outside, inside),
            Outcome::kNotCut);
  EXPECT_EQ(SplitSurface(MakeGrid(-3, -3, 3, 3, 5, 2), box, kTol, kTol, outside, inside),
            Outcome::kNotCut);
  // An open cutter cannot split.
  TriMesh open = box;
  open.tri.resize(30);
  EXPECT_EQ(SplitSurface(MakeGrid(-3, -3, 3, 3, 0, 2), open, kTol, kTol, outside, inside),
            Outcome::kRejected);
}

// One solid twice, the second listing its faces the other way round: the
// surfaces coincide everywhere and cut nothing, yet the intersection is the
// whole solid and the difference leaves nothing. Solids that share only
// part of their surface are cut as before.
TEST(SolidBooleans, TheSameSolidTwiceIntersectsAsAWholeAndSubtractsToNothing) {
  const TriMesh sphere = MakeSphere(1, 2, 3, 1.0, 16, 32);
  TriMesh reordered_faces = sphere;
  const std::size_t faces = sphere.tri.size() / 3;
  for (std::size_t f = 0; f < faces; ++f)
    for (int k = 0; k < 3; ++k)
      reordered_faces.tri[3 * f + k] = sphere.tri[3 * (faces - 1 - f) + k];
  const TriMesh& reordered = reordered_faces;
  const double volume = UvSphereVolume(1.0, 16, 32);
  for (const TriMesh* copy : {&sphere, &reordered}) {
    TriMesh r;
    ASSERT_EQ(Intersect(sphere, *copy, r), Outcome::kDone);
    ExpectSolid(r, volume, kFloat);
    ASSERT_EQ(Subtract(sphere, *copy, r), Outcome::kDone);
    EXPECT_TRUE(r.tri.empty());
  }
  TriMesh r;
  ASSERT_EQ(Intersect(MakeBox(0, 0, 0, 10, 10, 10), MakeBox(0, 0, 0, 10, 10, 10), r),
            Outcome::kDone);
  ExpectSolid(r, 1000.0, 1e-9);
  // A box inside another, sharing one face: the shared face's border is
  // cut, and the intersection is the inner box.
  ASSERT_EQ(Intersect(MakeBox(0, 0, 0, 10, 10, 5), MakeBox(0, 0, 0, 10, 10, 10), r),
            Outcome::kDone);
  ExpectSolid(r, 500.0, 1e-9);
}

} // namespace
} // namespace meshtools
