// Meshes whose surface passes through itself are cut on refined copies:
// a solid as the union of the volumes it wraps, capped; a fold that no
// union describes, and an open surface, split without caps. Every figure
// below is worked out by hand from the boxes the meshes are made of.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "support/test_meshes.h"
#include "tl_mesh_boolean.h"

namespace {

using namespace test_meshes;
using Failure = TL_MeshBoolean::Failure;
constexpr double kTol = TL_BOOLEAN_TOLERANCE;

// Builds one welded mesh from planar quads given with their outward
// normals: each quad's two triangles are turned to face that way, and
// corners at the same place become one vertex.
class ShellBuilder {
public:
  void Quad(ON_3dPoint a, ON_3dPoint b, ON_3dPoint c, ON_3dPoint d, ON_3dVector outward) {
    Triangle(a, b, c, outward);
    Triangle(a, c, d, outward);
  }
  void Triangle(ON_3dPoint a, ON_3dPoint b, ON_3dPoint c, ON_3dVector outward) {
    if (ON_CrossProduct(b - a, c - a) * outward < 0) std::swap(b, c);
    const int ia = Vertex(a), ib = Vertex(b), ic = Vertex(c);
    mesh_.AppendTriangle(ia, ib, ic);
  }
  // An axis-aligned box whose sides are gridded at the given breaks, so that
  // boxes and tubes sharing the breaks meet without T-junctions. A side
  // cell listed in `holes` (its side as 0..5 for -x, +x, -y, +y, -z, +z,
  // and its lower breaks) is left open.
  void GriddedBox(const std::vector<double> (&breaks)[3],
                  const std::vector<std::tuple<int, double, double>>& holes = {}) {
    for (int axis = 0; axis < 3; ++axis)
      for (int side = 0; side < 2; ++side) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        const double at = side ? breaks[axis].back() : breaks[axis].front();
        ON_3dVector outward(0, 0, 0);
        outward[axis] = side ? 1 : -1;
        for (std::size_t i = 0; i + 1 < breaks[u].size(); ++i)
          for (std::size_t j = 0; j + 1 < breaks[v].size(); ++j) {
            const double u0 = breaks[u][i], u1 = breaks[u][i + 1];
            const double v0 = breaks[v][j], v1 = breaks[v][j + 1];
            if (IsHole(holes, 2 * axis + side, u0, v0)) continue;
            auto point = [&](double pu, double pv) {
              ON_3dPoint p;
              p[axis] = at;
              p[u] = pu;
              p[v] = pv;
              return p;
            };
            Quad(point(u0, v0), point(u1, v0), point(u1, v1), point(u0, v1), outward);
          }
      }
  }
  ON_Mesh Mesh() const { return mesh_; }

private:
  static bool IsHole(const std::vector<std::tuple<int, double, double>>& holes, int side,
                     double u0, double v0) {
    for (const auto& [s, hu, hv] : holes)
      if (s == side && hu == u0 && hv == v0) return true;
    return false;
  }
  int Vertex(const ON_3dPoint& p) {
    const auto key = std::make_tuple(p.x, p.y, p.z);
    const auto it = index_.find(key);
    if (it != index_.end()) return it->second;
    mesh_.AppendVertex(p);
    return index_[key] = mesh_.VertexCount() - 1;
  }
  ON_Mesh mesh_;
  std::map<std::tuple<double, double, double>, int> index_;
};

// One connected closed mesh: bar A = [0, 3.7] x [0, 1] x [0, 1] and bar
// B = [3, 4] x [-0.5, 4] x [0.2, 1.2] run through each other at x 3..3.7,
// and an L-shaped tube 0.4 high joins a hole in A's side y = 1 to a hole
// in B's side x = 3. Its volume is A + B - (A and B) + the tube:
// 3.7 + 4.5 - 0.7 x 1 x 0.8 + 3 x 0.4.
ON_Mesh BarsJoinedByATube() {
  ShellBuilder shell;
  // Side u, v of a side: y z for the x sides, z x for the y sides.
  shell.GriddedBox({{0, 1, 2, 3.7}, {0, 1}, {0, 0.4, 0.8, 1}}, {{3, 0.4, 1.0}});
  shell.GriddedBox({{3, 4}, {-0.5, 2, 3, 4}, {0.2, 0.4, 0.8, 1.2}}, {{0, 2.0, 0.4}});
  auto at = [](double x, double y, double z) { return ON_3dPoint(x, y, z); };
  const double lo = 0.4, hi = 0.8;
  // The tube's plan: (1,1) (2,1) (2,2) (3,2) (3,3) (1,3); its ends at
  // y = 1 and x = 3 stay open, onto the holes.
  const double plan[][2] = {{1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {1, 3}};
  const ON_3dVector wall_out[] = {{0, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
  for (int k = 0; k < 6; ++k) {
    if (k == 0 || k == 3) continue; // the open ends
    const double* p = plan[k];
    const double* q = plan[(k + 1) % 6];
    shell.Quad(at(p[0], p[1], lo), at(q[0], q[1], lo), at(q[0], q[1], hi), at(p[0], p[1], hi),
               wall_out[k]);
  }
  const int fan[][3] = {{0, 1, 2}, {0, 2, 5}, {2, 4, 5}, {2, 3, 4}};
  for (const auto& t : fan)
    for (double z : {lo, hi})
      shell.Triangle(at(plan[t[0]][0], plan[t[0]][1], z), at(plan[t[1]][0], plan[t[1]][1], z),
                     at(plan[t[2]][0], plan[t[2]][1], z), ON_3dVector(0, 0, z == lo ? -1 : 1));
  return shell.Mesh();
}

// The slab [0, 3] x [0, 3] x [0, 1] with the square [1, 2] x [1, 2] of its
// top pushed down through its bottom to z = -0.5: the walls of the dent
// cross the bottom along that square. Below the bottom the surface wraps
// the pocket inside out, so no union of volumes describes it.
ON_Mesh SlabWithTopPushedThroughBottom() {
  ShellBuilder shell;
  const std::vector<double> grid = {0, 1, 2, 3};
  for (std::size_t i = 0; i + 1 < grid.size(); ++i)
    for (std::size_t j = 0; j + 1 < grid.size(); ++j)
      if (i != 1 || j != 1)
        shell.Quad(ON_3dPoint(grid[i], grid[j], 1), ON_3dPoint(grid[i + 1], grid[j], 1),
                   ON_3dPoint(grid[i + 1], grid[j + 1], 1), ON_3dPoint(grid[i], grid[j + 1], 1),
                   ON_3dVector(0, 0, 1));
  shell.Quad(ON_3dPoint(0, 0, 0), ON_3dPoint(3, 0, 0), ON_3dPoint(3, 3, 0), ON_3dPoint(0, 3, 0),
             ON_3dVector(0, 0, -1));
  // The sides: the bottom edge whole, the top edge through the grid's
  // breaks, as fans from a bottom corner.
  const ON_3dPoint corner[] = {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {0, 3, 0}};
  const ON_3dVector side_out[] = {{0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
  for (int s = 0; s < 4; ++s) {
    const ON_3dPoint a = corner[s], b = corner[(s + 1) % 4];
    shell.Triangle(a, b, b + ON_3dVector(0, 0, 1), side_out[s]);
    for (int k = 3; k > 0; --k)
      shell.Triangle(a, a + (b - a) * (k / 3.0) + ON_3dVector(0, 0, 1),
                     a + (b - a) * ((k - 1) / 3.0) + ON_3dVector(0, 0, 1), side_out[s]);
  }
  const ON_3dPoint ring[] = {{1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}};
  const ON_3dVector wall_in[] = {{0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {1, 0, 0}};
  for (int s = 0; s < 4; ++s) {
    const ON_3dPoint a = ring[s], b = ring[(s + 1) % 4];
    shell.Quad(a + ON_3dVector(0, 0, 1), b + ON_3dVector(0, 0, 1), b + ON_3dVector(0, 0, -0.5),
               a + ON_3dVector(0, 0, -0.5), wall_in[s]);
  }
  shell.Quad(ON_3dPoint(1, 1, -0.5), ON_3dPoint(2, 1, -0.5), ON_3dPoint(2, 2, -0.5),
             ON_3dPoint(1, 2, -0.5), ON_3dVector(0, 0, 1));
  return shell.Mesh();
}

TEST(SelfIntersectingMeshes, ASolidRunningThroughItselfIsCutAsTheUnionItWraps) {
  const ON_Mesh shell = BarsJoinedByATube();
  ASSERT_TRUE(ClosedAndOriented(shell));
  const double whole = 3.7 + 4.5 - 0.56 + 1.2;
  EXPECT_NEAR(Volume(shell), whole + 0.56, 1e-6); // the overlap is wrapped twice
  // The cutter's sides x = 2.5 and y = 0.5 run through the overlap of the
  // bars, where the surface crosses itself. It holds of A [2.5, 3.7] x
  // [0, 0.5] x [0, 1], of B [3, 4] x [-0.5, 0.5] x [0.2, 1.2], and of
  // both [3, 3.7] x [0, 0.5] x [0.2, 1].
  const ON_Mesh cutter = Box(2.5, -1, -1, 5, 0.5, 2);
  const double kept = 0.6 + 1.0 - 0.28;
  TL_MeshBoolean op(&shell, &cutter);
  op.SetTolerances(kTol, kTol);
  ON_Mesh inside, outside;
  ASSERT_TRUE(op.GetBooleanIntersection(inside));
  EXPECT_TRUE(op.LastRefined());
  EXPECT_TRUE(ClosedAndOriented(inside));
  EXPECT_NEAR(Volume(inside), kept, 1e-5);
  ASSERT_TRUE(op.GetBooleanDifference(outside));
  EXPECT_TRUE(op.LastRefined());
  EXPECT_TRUE(ClosedAndOriented(outside));
  EXPECT_NEAR(Volume(outside), whole - kept, 1e-5);

  // A cutter that intersects itself the same way cuts like its union.
  const ON_Mesh slab = Box(2.8, -1, 0.5, 3.5, 5, 0.9);
  TL_MeshBoolean by_shell(&slab, &shell);
  by_shell.SetTolerances(kTol, kTol);
  ASSERT_TRUE(by_shell.GetBooleanIntersection(inside));
  EXPECT_TRUE(by_shell.LastRefined());
  // Of the slab: in A [2.8, 3.5] x [0, 1]; in B [3, 3.5] x [-0.5, 4]; both
  // [3, 3.5] x [0, 1]; all 0.4 high; and of the tube [2.8, 3] x [2, 3] x
  // [0.5, 0.8].
  EXPECT_NEAR(Volume(inside), (0.7 + 2.25 - 0.5) * 0.4 + 0.06, 1e-5);

  // A clean solid keeps the fast road.
  TL_MeshBoolean clean(&cutter, &slab);
  ASSERT_TRUE(clean.GetBooleanIntersection(inside));
  EXPECT_FALSE(clean.LastRefined());
}

TEST(SelfIntersectingMeshes, AFoldNoUnionDescribesIsSplitWithoutCaps) {
  const ON_Mesh folded = SlabWithTopPushedThroughBottom();
  ASSERT_TRUE(ClosedAndOriented(folded));
  // The cutter keeps x >= 1.5 and crosses the fold where the walls of the
  // dent go through the bottom.
  const ON_Mesh cutter = Box(1.5, -1, -1, 4, 4, 2);
  TL_MeshBoolean op(&folded, &cutter);
  op.SetTolerances(kTol, kTol);
  ON_Mesh result;
  EXPECT_FALSE(op.GetBooleanIntersection(result));
  EXPECT_EQ(op.LastFailure(), Failure::kSelfIntersecting);
  EXPECT_TRUE(op.LastRefined());
  ON_Mesh outside, inside;
  ASSERT_TRUE(op.GetMeshASplit(outside, inside));
  EXPECT_TRUE(op.LastRefined());
  // Inside x >= 1.5: top 4.5 - 0.5, bottom 4.5, side x = 3: 3, sides y = 0
  // and 3: 1.5 each, wall x = 2: 1.5, walls y = 1 and 2: 0.75 each, floor
  // 0.5. The whole surface: 8 + 9 + 12 + 6 + 1.
  EXPECT_NEAR(Area(inside), 18.0, 1e-5);
  EXPECT_NEAR(Area(outside), 36.0 - 18.0, 1e-5);
}

TEST(SelfIntersectingMeshes, AnOpenSurfaceCrossingItselfIsSplitAlongTheCutter) {
  // A flat sheet and a tilted one crossing it along x = 0.25, in one mesh.
  ON_Mesh sheets = Grid(-2, -2, 2, 2, 0, 4);
  ON_Mesh tilted = Grid(-2, -2, 2, 2, 0, 4);
  for (int v = 0; v < tilted.VertexCount(); ++v)
    tilted.m_V[v].z = static_cast<float>(0.3 * (tilted.m_V[v].x - 0.25));
  sheets.Append(tilted);
  const ON_Mesh cutter = Box(-0.7, -0.7, -1, 0.7, 0.7, 1);
  TL_MeshBoolean op(&sheets, &cutter);
  op.SetTolerances(kTol, kTol);
  ON_Mesh outside, inside;
  ASSERT_TRUE(op.GetMeshASplit(outside, inside));
  EXPECT_TRUE(op.LastRefined());
  const double slope = std::sqrt(1.0 + 0.09);
  EXPECT_NEAR(Area(inside), 1.96 * (1.0 + slope), 1e-5);
  EXPECT_NEAR(Area(outside), (16.0 - 1.96) * (1.0 + slope), 1e-5);
}

} // namespace
