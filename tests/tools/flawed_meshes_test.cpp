// Meshes with common modelling flaws are cut as well as they can be: every
// cut of a flawed mesh is measured against the same cut of the flawless
// meshes it stands for, or against volumes and areas worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "support/test_meshes.h"
#include "tl_mesh_boolean.h"
#include "tl_mesh_union.h"

namespace {

using namespace test_meshes;
using Failure = TL_MeshBoolean::Failure;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

struct Cut {
  explicit Cut(const ON_Mesh& a, const ON_Mesh& b) : op(&a, &b) { op.SetTolerances(kTol, kTol); }
  double Difference() {
    ON_Mesh r;
    if (!op.GetBooleanDifference(r)) return -1.0;
    EXPECT_TRUE(ClosedAndOriented(r));
    return Volume(r);
  }
  double Intersection() {
    ON_Mesh r;
    if (!op.GetBooleanIntersection(r)) return -1.0;
    EXPECT_TRUE(ClosedAndOriented(r));
    return Volume(r);
  }
  TL_MeshBoolean op;
};

// A ball crossing the side x = 0 of the unit box, far from (1, 1, *).
ON_Mesh Ball() {
  return Sphere(ON_3dPoint(0, 0.5, 0.5), 0.3, 16, 32);
}

TEST(FlawedMeshes, PinchedSolidsAndEdgesOfFourFacesCutLikeTheirShells) {
  const ON_Mesh unit = Box(0, 0, 0, 1, 1, 1);
  const double clean_difference = Cut(unit, Ball()).Difference();
  const double clean_intersection = Cut(unit, Ball()).Intersection();
  ASSERT_GT(clean_difference, 0.9);
  ASSERT_GT(clean_intersection, 0.05);

  // Pinched at the corner (1, 1, 1), and sharing the edge x = y = 1.
  const ON_Mesh pinched = Joined(unit, Box(1, 1, 1, 2, 2, 2));
  const ON_Mesh edge_of_four = Joined(unit, Box(1, 1, 0, 2, 2, 1));
  ASSERT_LT(pinched.VertexCount(), 16);
  ASSERT_LT(edge_of_four.VertexCount(), 16);
  for (const ON_Mesh* flawed : {&pinched, &edge_of_four}) {
    EXPECT_NEAR(Cut(*flawed, Ball()).Difference(), clean_difference + 1.0, 1e-6);
    EXPECT_NEAR(Cut(*flawed, Ball()).Intersection(), clean_intersection, 1e-6);
    // As the cutter: the ball less the part in the unit box.
    EXPECT_NEAR(Cut(Ball(), *flawed).Difference(), Volume(Ball()) - clean_intersection, 1e-6);
  }
}

TEST(FlawedMeshes, AnEdgeOfThreeFacesIsRefusedCappedButSplits) {
  // The unit box with a fin standing out of its edge x = y = 0.
  ON_Mesh fin;
  fin.AppendVertex(ON_3dPoint(0, 0, 0));
  fin.AppendVertex(ON_3dPoint(-1, -1, 0));
  fin.AppendVertex(ON_3dPoint(-1, -1, 1));
  fin.AppendVertex(ON_3dPoint(0, 0, 1));
  fin.AppendQuad(0, 1, 2, 3);
  const ON_Mesh unit = Box(0, 0, 0, 1, 1, 1);
  const ON_Mesh finned = Joined(unit, fin);
  ASSERT_EQ(finned.VertexCount(), 10);

  const ON_Mesh ball = Ball();
  Cut capped(finned, ball);
  ON_Mesh r;
  EXPECT_FALSE(capped.op.GetBooleanDifference(r));
  EXPECT_EQ(capped.op.LastFailure(), Failure::kUnfitA);

  ON_Mesh outside, inside, clean_outside, clean_inside;
  ASSERT_TRUE(Cut(unit, Ball()).op.GetMeshASplit(clean_outside, clean_inside));
  ASSERT_TRUE(capped.op.GetMeshASplit(outside, inside));
  EXPECT_EQ(capped.op.LastFailure(), Failure::kNone);
  EXPECT_NEAR(Area(outside), Area(clean_outside) + std::sqrt(2.0), 1e-6);
  EXPECT_NEAR(Area(inside), Area(clean_inside), 1e-6);
}

TEST(FlawedMeshes, OverlappingClosedShellsCutAsTheirUnion) {
  // Three boxes run into each other; within [0, 4]^3 their union is
  // [1, 4] x [1, 3] x [0, 2] (12) and [1.5, 2.5] x [0.5, 1] x [0, 2] (1).
  ON_Mesh shells = Box(1, 1, -1, 3, 3, 2);
  shells.Append(Box(2, 1, -1, 5, 3, 2));
  shells.Append(Box(1.5, 0.5, -1, 2.5, 1.5, 2));
  const ON_Mesh block = Box(0, 0, 0, 4, 4, 4);
  EXPECT_NEAR(Cut(block, shells).Difference(), 64.0 - 13.0, 1e-6);
  EXPECT_NEAR(Cut(block, shells).Intersection(), 13.0, 1e-6);
  // An open sheet through them keeps outside what the union leaves of it.
  const ON_Mesh sheet = Grid(0, 0, 4, 4, 0.5, 4);
  ON_Mesh outside, inside;
  ASSERT_TRUE(Cut(sheet, shells).op.GetMeshASplit(outside, inside));
  EXPECT_NEAR(Area(inside), 6.5, 1e-6);
  EXPECT_NEAR(Area(outside), 16.0 - 6.5, 1e-6);

  // The object itself of two shells overlapping: [0, 3] x [0, 2] x [0, 2].
  ON_Mesh object = Box(0, 0, 0, 2, 2, 2);
  object.Append(Box(1, 0, 0, 3, 2, 2));
  const ON_Mesh slab = Box(2.5, -1, -1, 4, 3, 3);
  EXPECT_NEAR(Cut(object, slab).Difference(), 10.0, 1e-6);
  EXPECT_NEAR(Cut(object, slab).Intersection(), 2.0, 1e-6);

  // In a union with another cutter, the shells count as their union too.
  ON_SimpleArray<const ON_Mesh*> sources;
  const ON_Mesh other = Box(3.5, 0, 0, 6, 4, 1);
  sources.Append(&shells);
  sources.Append(&other);
  ON_SimpleArray<ON_Mesh*> united;
  bool every = false;
  ASSERT_TRUE(TL_MeshBooleanUnion(sources, kTol, kTol, &every, united));
  EXPECT_TRUE(every);
  double volume = 0.0;
  for (int i = 0; i < united.Count(); ++i) {
    EXPECT_TRUE(ClosedAndOriented(*united[i]));
    volume += Volume(*united[i]);
    delete united[i];
  }
  // Shells: 4 x 2 x 3 + 1 x 0.5 x 3; the other box: 2.5 x 4 x 1, of which
  // [3.5, 5] x [1, 3] x [0, 1] lies in the shells.
  EXPECT_NEAR(volume, 24.0 + 1.5 + 10.0 - 3.0, 1e-6);
}

TEST(FlawedMeshes, OpenScanWithHolesAndPinchesSplitsAlongTheCutter) {
  // An 8 x 8 sheet of unit quads with quads missing in diagonal pairs, so
  // every pair pinches the sheet at the corner the two shared.
  const std::set<std::pair<int, int>> missing = {{1, 1}, {2, 2}, {3, 4}, {4, 5},
                                                 {5, 2}, {6, 3}, {2, 6}, {3, 5}};
  const ON_Mesh grid = UnitGrid(8);
  ON_Mesh scan;
  scan.m_V = grid.m_V;
  for (int f = 0; f < grid.FaceCount(); ++f)
    if (!missing.count({f % 8, f / 8})) scan.m_F.Append(grid.m_F[f]);
  const ON_Mesh cutter = Box(2.5, 2.5, -1, 6.5, 6.5, 1);

  // What of each quad the cutter's square holds, worked out by hand.
  double expected_inside = 0.0;
  for (int f = 0; f < grid.FaceCount(); ++f) {
    const int i = f % 8, j = f / 8;
    if (missing.count({i, j})) continue;
    const double w = std::max(0.0, std::min(i + 1.0, 6.5) - std::max(i + 0.0, 2.5));
    const double h = std::max(0.0, std::min(j + 1.0, 6.5) - std::max(j + 0.0, 2.5));
    expected_inside += w * h;
  }
  ON_Mesh outside, inside;
  ASSERT_TRUE(Cut(scan, cutter).op.GetMeshASplit(outside, inside));
  EXPECT_NEAR(Area(inside), expected_inside, 1e-6);
  EXPECT_NEAR(Area(outside), 64.0 - missing.size() - expected_inside, 1e-6);
}

} // namespace
