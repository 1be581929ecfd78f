// The local road of the solid booleans (only the triangles near the other
// surface corefined) against the whole road on the same inputs, over
// seeded random pairs, and against exact volumes where they are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "core_fixtures.h"
#include "solid_ops.h"
#include "tl_tolerance.h"

namespace meshtools {
namespace {

using namespace test;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

TriMesh MakeTorus(double big, double small, int rings, int segments) {
  TriMesh m;
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      const double u = 2 * std::numbers::pi * i / rings, v = 2 * std::numbers::pi * j / segments;
      m.AddVertex((big + small * std::cos(v)) * std::cos(u),
                  (big + small * std::cos(v)) * std::sin(u), small * std::sin(v));
    }
  auto at = [&](int i, int j) { return (i % rings) * segments + (j % segments); };
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      m.AddTriangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
      m.AddTriangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
    }
  return m;
}

// Rotation by a random unit quaternion, then a shift.
struct Motion {
  double r[3][3];
  double shift[3];
  void Apply(TriMesh& m) const {
    for (std::size_t i = 0; i < m.xyz.size(); i += 3) {
      const double p[3] = {m.xyz[i], m.xyz[i + 1], m.xyz[i + 2]};
      for (int k = 0; k < 3; ++k)
        m.xyz[i + k] = r[k][0] * p[0] + r[k][1] * p[1] + r[k][2] * p[2] + shift[k];
    }
  }
};

Motion RandomMotion(std::mt19937& rng, double reach) {
  std::normal_distribution<double> g;
  double q[4];
  double n = 0;
  for (double& x : q) {
    x = g(rng);
    n += x * x;
  }
  n = std::sqrt(n);
  const double w = q[0] / n, x = q[1] / n, y = q[2] / n, z = q[3] / n;
  std::uniform_real_distribution<double> off(-reach, reach);
  return Motion{{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                 {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                 {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}},
                {off(rng), off(rng), off(rng)}};
}

void RoundToFloat(TriMesh& m) {
  for (double& x : m.xyz)
    x = static_cast<float>(x);
}

// A random solid of about unit size around the origin, unmoved.
TriMesh RandomSolid(std::mt19937& rng, double size, std::string& name) {
  std::uniform_int_distribution<int> kind(0, 2), res(6, 40);
  switch (kind(rng)) {
  case 0: {
    const int rings = res(rng), segments = res(rng);
    name = "sphere " + std::to_string(rings) + "x" + std::to_string(segments);
    return MakeSphere(0, 0, 0, size, rings, segments);
  }
  case 1: {
    std::uniform_real_distribution<double> side(0.4 * size, size);
    const double x = side(rng), y = side(rng), z = side(rng);
    name = "box";
    return MakeBox(-x, -y, -z, x, y, z);
  }
  default: {
    const int rings = res(rng), segments = std::max(6, res(rng) / 2);
    name = "torus " + std::to_string(rings) + "x" + std::to_string(segments);
    return MakeTorus(0.7 * size, 0.3 * size, rings, segments);
  }
  }
}

// Results are rounded to single precision, as the host stores them, so
// what is checked is what will be drawn. Written so that no compiler folds
// the round trip away.
bool AllSinglePrecision(const TriMesh& m) {
  for (double x : m.xyz) {
    volatile float f = static_cast<float>(x);
    if (static_cast<double>(f) != x) return false;
  }
  return true;
}

double Relative(double a, double b) {
  return std::fabs(a - b) / std::max(std::fabs(b), 1e-300);
}

TEST(LocalBooleans, AgreeWithTheWholeRoadOnRandomPairs) {
  std::mt19937 rng(20261208);
  const CombineRoads before = CountCombineRoads();
  int done = 0;
  for (int pair = 0; pair < 60; ++pair) {
    std::string name_a, name_b;
    TriMesh a = RandomSolid(rng, 1.0, name_a);
    // Small cutters over a part of the surface, large ones across most of it.
    const bool small = pair % 2 == 0;
    TriMesh b = RandomSolid(rng, small ? 0.25 : 0.9, name_b);
    RandomMotion(rng, 0.0).Apply(a);
    RandomMotion(rng, small ? 0.0 : 0.5).Apply(b);
    if (small) {
      // Centred on a vertex of A, so that it crosses A's surface there.
      const int v = std::uniform_int_distribution<int>(0, a.VertexCount() - 1)(rng);
      Translate(b, a.xyz[3 * v], a.xyz[3 * v + 1], a.xyz[3 * v + 2]);
    }
    if (pair % 3 == 0) { // as the host stores them
      RoundToFloat(a);
      RoundToFloat(b);
    }
    for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference}) {
      SCOPED_TRACE("pair " + std::to_string(pair) + ": " + name_a + " and " + name_b +
                   (op == SolidOperation::kIntersection ? ", intersection" : ", difference"));
      TriMesh local, whole;
      const Outcome got = CombineSolids(a, b, op, kTol, kTol, local);
      const Outcome want = CombineSolidsWhole(a, b, op, kTol, kTol, whole);
      ASSERT_EQ(got, want);
      if (want != Outcome::kDone) continue;
      ++done;
      EXPECT_TRUE(IsClosedAndOriented(local));
      EXPECT_TRUE(AllSinglePrecision(local));
      EXPECT_TRUE(AllSinglePrecision(whole));
      EXPECT_LT(Relative(SignedVolume(local), SignedVolume(whole)), 1e-8);
      EXPECT_LT(Relative(Area(local), Area(whole)), 1e-8);
    }
  }
  const CombineRoads after = CountCombineRoads();
  // Nearly every pair crosses cleanly, so nearly every one takes the local road.
  EXPECT_GT(done, 80);
  EXPECT_GE(after.local - before.local, 100u);
  EXPECT_LE(after.whole - before.whole, 20u);
  // Nearly all of them are cut by the road's own cutter, the rest by the
  // corefinement.
  EXPECT_GE(after.own_cut - before.own_cut, 100u);
}

// A section cutter's slab across a grid of spheres, as a column of a model
// is cut: the curve on the slab's face is a closed loop inside one of its
// two triangles, or a loop across their diagonal, and the face holds it
// with the sphere's triangles' edges all around. Every call is answered by
// the own cutter, as the whole road answers it, and the two results of a
// pair make up the sphere.
TEST(LocalBooleans, ASlabAcrossSpheresIsCutByTheOwnCutter) {
  const TriMesh slab = MakeBox(4.9, -1.0, -1.0, 5.6, 6.0, 6.0);
  const CombineRoads before = CountCombineRoads();
  unsigned calls = 0;
  for (int j = 0; j < 5; ++j)
    for (int k = 0; k < 5; ++k) {
      TriMesh sphere = MakeSphere(5.0, j + 0.1 * k, k + 0.05 * j, 0.4, 20, 26);
      RoundToFloat(sphere);
      SCOPED_TRACE("sphere " + std::to_string(j) + ", " + std::to_string(k));
      double both = 0.0;
      for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference}) {
        TriMesh local, whole;
        ASSERT_EQ(CombineSolids(sphere, slab, op, kTol, kTol, local), Outcome::kDone);
        ASSERT_EQ(CombineSolidsWhole(sphere, slab, op, kTol, kTol, whole), Outcome::kDone);
        ++calls;
        EXPECT_TRUE(IsClosedAndOriented(local));
        EXPECT_LT(Relative(SignedVolume(local), SignedVolume(whole)), 1e-8);
        EXPECT_LT(Relative(Area(local), Area(whole)), 1e-8);
        both += SignedVolume(local);
      }
      EXPECT_LT(Relative(both, SignedVolume(sphere)), 1e-6);
    }
  EXPECT_EQ(CountCombineRoads().own_cut - before.own_cut, calls);
}

// Boxes turned together keep their exact overlap: the product of the
// overlaps of their sides.
TEST(LocalBooleans, TurnedBoxesHaveTheExactOverlapVolume) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> corner(-1.0, 1.0), side(0.2, 1.5);
  const CombineRoads before = CountCombineRoads();
  unsigned cases = 0;
  for (int i = 0; i < 40; ++i) {
    double lo[2][3], hi[2][3];
    for (int s = 0; s < 2; ++s)
      for (int k = 0; k < 3; ++k) {
        lo[s][k] = corner(rng);
        hi[s][k] = lo[s][k] + side(rng);
      }
    double meet = 1.0;
    for (int k = 0; k < 3; ++k)
      meet *= std::max(0.0, std::min(hi[0][k], hi[1][k]) - std::max(lo[0][k], lo[1][k]));
    if (meet == 0.0) continue;
    ++cases;
    TriMesh a = MakeBox(lo[0][0], lo[0][1], lo[0][2], hi[0][0], hi[0][1], hi[0][2]);
    TriMesh b = MakeBox(lo[1][0], lo[1][1], lo[1][2], hi[1][0], hi[1][1], hi[1][2]);
    const Motion turn = RandomMotion(rng, 0.0);
    turn.Apply(a);
    turn.Apply(b);
    const double va = (hi[0][0] - lo[0][0]) * (hi[0][1] - lo[0][1]) * (hi[0][2] - lo[0][2]);
    TriMesh r;
    ASSERT_EQ(CombineSolids(a, b, SolidOperation::kIntersection, kTol, kTol, r), Outcome::kDone);
    EXPECT_TRUE(IsClosedAndOriented(r));
    EXPECT_NEAR(SignedVolume(r), meet, 1e-6 * va);
    ASSERT_EQ(CombineSolids(a, b, SolidOperation::kDifference, kTol, kTol, r), Outcome::kDone);
    EXPECT_TRUE(IsClosedAndOriented(r));
    EXPECT_NEAR(SignedVolume(r), va - meet, 1e-6 * va);
  }
  EXPECT_GT(cases, 10u);
  EXPECT_EQ(CountCombineRoads().local - before.local, 2 * cases);
  EXPECT_EQ(CountCombineRoads().own_cut - before.own_cut, 2 * cases);
}

// What the local road must not decide: faces lying on each other, and a
// solid of two shells (which the whole road unites first when they
// overlap). Both go to the whole road and come back as it answers.
TEST(LocalBooleans, UnusualPairsGoToTheWholeRoad) {
  const TriMesh a = MakeBox(0, 0, 0, 2, 2, 2);
  TriMesh two_shells = MakeSphere(0.5, 1, 1, 0.8, 12, 16);
  Append(two_shells, MakeSphere(1.5, 1, 1, 0.8, 12, 16));
  const TriMesh stacked = MakeBox(1, 1, 2, 3, 3, 4); // touches a's top over a square
  const TriMesh sharing = MakeBox(1, 0, 0, 3, 2, 2); // four sides in a's planes
  struct Case {
    const TriMesh* b;
    const char* what;
  } cases[] = {{&stacked, "stacked on top"},
               {&sharing, "sides in the same planes"},
               {&two_shells, "two overlapping shells"}};
  for (const Case& c : cases)
    for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference}) {
      SCOPED_TRACE(c.what);
      const CombineRoads before = CountCombineRoads();
      TriMesh local, whole;
      const Outcome got = CombineSolids(a, *c.b, op, kTol, kTol, local);
      const CombineRoads after = CountCombineRoads();
      EXPECT_EQ(after.whole - before.whole, 1u);
      EXPECT_EQ(after.local - before.local, 0u);
      ASSERT_EQ(got, CombineSolidsWhole(a, *c.b, op, kTol, kTol, whole));
      if (got == Outcome::kDone) {
        EXPECT_EQ(SignedVolume(local), SignedVolume(whole));
      }
    }
}

// Solids that touch at one point only are not cut, whichever road decides.
// The local road's cutter leaves a vertex on a face's plane to the
// corefinement, which finds the one point and no curve; the whole road
// answers the same from the whole solids. A sphere's pole on a box's top
// and another's under its bottom, each solid as A and as B.
TEST(LocalBooleans, SolidsTouchingAtOnePointAreNotCutLocally) {
  const TriMesh box = MakeBox(0, 0, -1, 2, 2, 0.5);
  const TriMesh on_top = MakeSphere(1.3, 0.9, 1.0, 0.5, 12, 16); // south pole at z = 0.5
  const TriMesh below = MakeSphere(0.7, 1.2, -2.0, 1.0, 12, 16); // north pole at z = -1
  for (const TriMesh* other : {&on_top, &below})
    for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference})
      for (const bool box_first : {true, false}) {
        const TriMesh& a = box_first ? box : *other;
        const TriMesh& b = box_first ? *other : box;
        const CombineRoads before = CountCombineRoads();
        TriMesh local, whole;
        const Outcome got = CombineSolids(a, b, op, kTol, kTol, local);
        const CombineRoads after = CountCombineRoads();
        EXPECT_EQ(got, Outcome::kNotCut);
        EXPECT_EQ(after.local - before.local, 1u);
        EXPECT_EQ(CombineSolidsWhole(a, b, op, kTol, kTol, whole), got);
      }
}

// The curve can run along an edge of B where B's surface bends inward (an
// L-shaped prism's inner corner), with A's own edge on it: the faces there
// are told apart by how B bends. A box turned 20 degrees about that edge
// has one face in the notch and one in the prism's arm.
TEST(LocalBooleans, ACrossingAlongAnInwardEdgeIsDecidedLocally) {
  TriMesh l_prism;
  const double corner[6][2] = {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}};
  for (double z : {0.0, 1.0})
    for (const auto& c : corner)
      l_prism.AddVertex(c[0], c[1], z);
  const int fan[4][3] = {{3, 4, 5}, {3, 5, 0}, {3, 0, 1}, {3, 1, 2}};
  for (const auto& t : fan) {
    l_prism.AddTriangle(t[0], t[2], t[1]);             // bottom, facing down
    l_prism.AddTriangle(t[0] + 6, t[1] + 6, t[2] + 6); // top
  }
  for (int i = 0; i < 6; ++i) {
    const int j = (i + 1) % 6;
    l_prism.AddTriangle(i, j, j + 6);
    l_prism.AddTriangle(i, j + 6, i + 6);
  }
  ASSERT_TRUE(IsClosedAndOriented(l_prism));
  ASSERT_NEAR(SignedVolume(l_prism), 3.0, 1e-12);
  TriMesh box = MakeBox(0, 0, -1, 2, 2, 2);
  const double turn = 20 * std::numbers::pi / 180;
  Motion{{{std::cos(turn), -std::sin(turn), 0}, {std::sin(turn), std::cos(turn), 0}, {0, 0, 1}},
         {1, 1, 0}}
      .Apply(box);
  for (SolidOperation op : {SolidOperation::kIntersection, SolidOperation::kDifference}) {
    const CombineRoads before = CountCombineRoads();
    TriMesh local, whole;
    ASSERT_EQ(CombineSolids(box, l_prism, op, kTol, kTol, local), Outcome::kDone);
    EXPECT_EQ(CountCombineRoads().local - before.local, 1u);
    ASSERT_EQ(CombineSolidsWhole(box, l_prism, op, kTol, kTol, whole), Outcome::kDone);
    EXPECT_TRUE(IsClosedAndOriented(local));
    EXPECT_LT(Relative(SignedVolume(local), SignedVolume(whole)), 1e-8);
  }
}

} // namespace
} // namespace meshtools
