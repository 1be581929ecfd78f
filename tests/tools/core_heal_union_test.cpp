// Union of several solids and healing of open surfaces on plain meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "core_fixtures.h"
#include "tl_tolerance.h"
#include "solid_ops.h"

namespace meshtools {
namespace {

using namespace test;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

double TotalVolume(const std::vector<TriMesh>& v) {
  double s = 0;
  for (const TriMesh& m : v)
    s += SignedVolume(m);
  return s;
}

TEST(SolidUnion, ThreeOverlappingBoxesBecomeOneSolid) {
  const TriMesh a = MakeBox(0, 0, 0, 2, 2, 2), b = MakeBox(1, 1, 1, 3, 3, 3),
                c = MakeBox(1.5, -1, 0.5, 2.5, 4, 1.5);
  std::vector<TriMesh> out;
  ASSERT_TRUE(UniteSolids({&a, &b, &c}, kTol, out));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(IsClosedAndOriented(out[0]));
  // |A|+|B|+|C| - |AB| - |AC| - |BC| + |ABC|
  //  8 + 8 + 5 - 1 - 1.5 - 0.75 + 0.25 = 17.5... computed by hand:
  // AC: x 1.5-2, y 0-2, z 0.5-1.5 -> 0.5*2*1 = 1; BC: x 1.5-2.5, y 1-3, z 1-1.5 -> 1*2*0.5 = 1;
  // ABC: x 1.5-2, y 1-2, z 1-1.5 -> 0.25.
  EXPECT_NEAR(SignedVolume(out[0]), 8 + 8 + 5 - 1 - 1 - 1 + 0.25, 1e-9);
}

TEST(SolidUnion, DisjointAndTouchingSolidsKeepTheirVolumes) {
  const TriMesh a = MakeBox(0, 0, 0, 1, 1, 1), far = MakeBox(5, 5, 5, 6, 6, 6);
  const TriMesh face = MakeBox(1, 0, 0, 2, 1, 1);   // shares A's side x = 1
  const TriMesh edge = MakeBox(-1, -1, 0, 0, 0, 1); // shares A's edge x = y = 0
  std::vector<TriMesh> out;
  ASSERT_TRUE(UniteSolids({&a, &far, &face, &edge}, kTol, out));
  // A and its face neighbour merge; the far box and the edge neighbour stay apart.
  EXPECT_EQ(out.size(), 3u);
  EXPECT_NEAR(TotalVolume(out), 4.0, 1e-9);
  for (const TriMesh& m : out)
    EXPECT_TRUE(IsClosedAndOriented(m));
  EXPECT_TRUE(std::any_of(out.begin(), out.end(),
                          [](const TriMesh& m) { return std::abs(SignedVolume(m) - 2) < 1e-9; }));
}

TEST(SolidUnion, HollowShellStaysOneVolumeAndBadSourcesAreSkipped) {
  TriMesh hollow = MakeBox(0, 0, 0, 4, 4, 4);
  TriMesh cavity = MakeBox(1, 1, 1, 3, 3, 3);
  FlipAll(cavity);
  Append(hollow, cavity);
  TriMesh open = MakeBox(10, 0, 0, 11, 1, 1);
  open.tri.resize(30);
  const TriMesh plug = MakeBox(3.5, 3.5, 3.5, 5, 5, 5);
  std::vector<TriMesh> out;
  EXPECT_FALSE(UniteSolids({&hollow, &open, &plug}, kTol, out)); // the open one cannot take part
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(SignedVolume(out[0]), 64 - 8 + 1.5 * 1.5 * 1.5 - 0.125, 1e-9);
}

// A mesh of overlapping closed shells, one of them given twice (objects
// exported together with a copy left in place). Welding shares the copies'
// vertices, so the shells that come apart again are numbered differently;
// uniting one with its twin laid every face on a face of the union so far,
// whose rounded crossing points then made it intersect itself, and the
// next union crashed inside CGAL. The mesh cuts as its shells given once.
TEST(SolidUnion, AShellGivenTwiceCutsAsTheShellsGivenOnce) {
  std::ifstream file(std::string(TOOLS_TEST_DATA) + "/shells_given_twice.obj");
  TriMesh twice, once;
  for (std::string line; std::getline(file, line);) {
    std::istringstream in(line);
    std::string tag;
    in >> tag;
    if (tag == "v") {
      float x, y, z; // as a host reads them
      in >> x >> y >> z;
      twice.AddVertex(x, y, z);
    } else if (tag == "f") {
      int a, b, c;
      in >> a >> b >> c;
      twice.AddTriangle(a - 1, b - 1, c - 1);
    }
  }
  // Four vertex-disjoint spheres of 182 vertices and 360 faces; the third
  // repeats the second.
  ASSERT_EQ(twice.TriangleCount(), 4 * 360);
  once.xyz = twice.xyz;
  for (int t = 0; t < twice.TriangleCount(); ++t)
    if (t / 360 != 2) once.tri.insert(once.tri.end(), &twice.tri[3 * t], &twice.tri[3 * t + 3]);
  const TriMesh cutter = MakeBox(1, 1, 4, 6, 6, 7);
  for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference}) {
    TriMesh expected, got;
    ASSERT_EQ(CombineSolids(once, cutter, op, kTol, kTol, expected), Outcome::kDone);
    ASSERT_EQ(CombineSolids(twice, cutter, op, kTol, kTol, got), Outcome::kDone);
    EXPECT_TRUE(IsClosedAndOriented(got));
    EXPECT_NEAR(SignedVolume(got), SignedVolume(expected), 1e-9 * SignedVolume(expected));
  }
}

// The same solids give the same union, vertex for vertex, whatever the
// process did before: cutters are united again whenever one changes, and
// a union that came out otherwise (rounded otherwise, once even split
// otherwise) made a long session cut differently from a fresh start. The
// heap is stirred between calls so that the union's working arrays land
// in other places relative to each other.
TEST(SolidUnion, TheSameSolidsGiveTheSameUnionAfterAnyHistory) {
  // Spheres and boxes on a half-unit grid, as users snap them: many faces
  // of different solids start at the same coordinate.
  std::vector<TriMesh> solids;
  for (int i = 0; i < 4; ++i)
    solids.push_back(MakeSphere(1.5 + 0.5 * i, 2 + 0.5 * (i % 2), 3, 1.5, 9, 20));
  solids.push_back(MakeBox(0.5, 3, 3.5, 3, 5, 4.5));
  solids.push_back(MakeBox(1, 1.5, 2, 3.5, 3, 3.5));
  std::vector<const TriMesh*> sources;
  for (const TriMesh& m : solids)
    sources.push_back(&m);

  std::vector<TriMesh> first;
  const bool complete = UniteSolids(sources, kTol, first);
  ASSERT_FALSE(first.empty());
  std::vector<std::vector<char>> stir;
  for (int round = 1; round <= 6; ++round) {
    // Blocks of many sizes, every other one freed: holes both below and
    // above whatever the union allocates next.
    for (int k = 0; k < 40 * round; ++k)
      stir.emplace_back(static_cast<std::size_t>(512 + 1531 * ((k * 7 + round) % 23)));
    for (std::size_t k = 0; k < stir.size(); k += 2)
      std::vector<char>().swap(stir[k]);
    std::vector<TriMesh> again;
    EXPECT_EQ(UniteSolids(sources, kTol, again), complete) << "round " << round;
    ASSERT_EQ(again.size(), first.size()) << "round " << round;
    for (std::size_t v = 0; v < first.size(); ++v) {
      EXPECT_EQ(again[v].xyz, first[v].xyz) << "round " << round << ", volume " << v;
      EXPECT_EQ(again[v].tri, first[v].tri) << "round " << round << ", volume " << v;
    }
  }
}

TEST(SolidUnion, NothingUsableGivesNothing) {
  TriMesh open = MakeBox(0, 0, 0, 1, 1, 1);
  open.tri.resize(30);
  std::vector<TriMesh> out;
  EXPECT_FALSE(UniteSolids({&open, nullptr}, kTol, out));
  EXPECT_TRUE(out.empty());
}

TEST(Heal, FillsAMissingSide) {
  TriMesh open = MakeBox(0, 0, 0, 1, 2, 3);
  open.tri.erase(open.tri.begin() + 6, open.tri.begin() + 12); // the top
  TriMesh solid;
  ASSERT_TRUE(HealToSolid(open, kTol, 0.001, true, true, solid));
  EXPECT_TRUE(IsClosedAndOriented(solid));
  EXPECT_NEAR(SignedVolume(solid), 6.0, 1e-6);
  EXPECT_FALSE(HealToSolid(open, kTol, 0.001, true, false, solid));
}

TEST(Heal, StitchesSeamsWithinToleranceOnly) {
  TriMesh box = MakeUnweldedBox(0, 0, 0, 1, 1, 1);
  // Open a seam gap of 0.0004 by moving one side's corners outward.
  for (int v = 4; v < 8; ++v)
    box.xyz[3 * v + 2] += 0.0004;
  TriMesh solid;
  ASSERT_TRUE(HealToSolid(box, kTol, 0.001, true, false, solid));
  EXPECT_TRUE(IsClosedAndOriented(solid));
  EXPECT_NEAR(SignedVolume(solid), 1.0, 1e-3);
  // With a tolerance below the gap the seam stays open, and without hole
  // filling nothing closes it.
  EXPECT_FALSE(HealToSolid(box, kTol, 0.0001, true, false, solid));
}

TEST(Heal, InvertedAndClosedInputComesOutOutward) {
  TriMesh box = MakeBox(0, 0, 0, 2, 2, 2);
  FlipAll(box);
  TriMesh solid;
  ASSERT_TRUE(HealToSolid(box, kTol, 0.001, true, true, solid));
  EXPECT_NEAR(SignedVolume(solid), 8.0, 1e-9);
}

TEST(Heal, HopelessInputFails) {
  TriMesh solid;
  EXPECT_FALSE(HealToSolid(TriMesh{}, kTol, 0.001, true, true, solid));
  TriMesh line;
  for (int i = 0; i < 3; ++i)
    line.AddVertex(i, 0, 0);
  line.AddTriangle(0, 1, 2);
  EXPECT_FALSE(HealToSolid(line, kTol, 0.001, true, true, solid));
  TriMesh big_hole = MakeGrid(0, 0, 1, 1, 0, 150); // a flat sheet whose rim has 600 edges
  EXPECT_FALSE(HealToSolid(big_hole, kTol, 0.001, true, true, solid));
}

} // namespace
} // namespace meshtools
