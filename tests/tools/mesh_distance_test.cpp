// TL_MeshDistance against a closed-form oracle: the gap between two
// axis-aligned boxes is the length of the vector of their positive gaps per
// axis, whether the boxes come closest face to face, edge to edge or corner
// to corner (bars crossing at a distance meet edge to edge, away from
// every corner). The nearest points must lie on the surfaces, that far apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "support/test_meshes.h"
#include "tl_mesh_distance.h"

namespace {

// The gap between the boxes of two meshes built by test_meshes::Box, read
// from the stored (single-precision) corners.
double BoxGap(const ON_Mesh& a, const ON_Mesh& b) {
  const ON_3dPoint amin = a.Vertex(0), amax = a.Vertex(7);
  const ON_3dPoint bmin = b.Vertex(0), bmax = b.Vertex(7);
  double squared = 0.0;
  for (int k = 0; k < 3; ++k) {
    const double gap = std::max(bmin[k] - amax[k], amin[k] - bmax[k]);
    if (gap > 0.0) squared += gap * gap;
  }
  return std::sqrt(squared);
}

TEST(MeshDistance, BoxesAtRandomOffsetsMatchTheirGapWithPointsOnBothSurfaces) {
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> thin(0.3, 1.0), long_side(4.0, 8.0), offset(-6.0, 6.0);
  std::uniform_int_distribution<int> axis(0, 2);
  // Bars, each long along one axis: crossing bars come closest between
  // the insides of two edges, where no corner is nearest.
  auto bar = [&]() {
    const ON_3dPoint corner(offset(random), offset(random), offset(random));
    ON_3dVector extent(thin(random), thin(random), thin(random));
    extent[axis(random)] = long_side(random);
    return test_meshes::Box(corner, corner + extent);
  };
  int separated = 0;
  for (int trial = 0; trial < 400; ++trial) {
    const ON_Mesh a = bar();
    const ON_Mesh b = bar();
    const double gap = BoxGap(a, b);
    if (gap <= 1e-6) continue; // overlapping boxes: surfaces may not meet
    ++separated;
    SCOPED_TRACE(trial);
    const TL_MeshDistance da(a), db(b);
    double distance = -1.0;
    ON_3dPoint here, there;
    ASSERT_TRUE(da.ClosestPoints(db, gap + 1.0, distance, here, there));
    EXPECT_NEAR(distance, gap, 1e-9 * (1.0 + gap));
    EXPECT_NEAR(here.DistanceTo(there), distance, 1e-9 * (1.0 + gap));
    double on_surface = -1.0;
    ON_3dPoint closest;
    ASSERT_TRUE(da.DistanceTo(here, on_surface, closest));
    EXPECT_LT(on_surface, 1e-9);
    ASSERT_TRUE(db.DistanceTo(there, on_surface, closest));
    EXPECT_LT(on_surface, 1e-9);
    // Within the limit only: just below the gap nothing is found.
    EXPECT_FALSE(da.ClosestPoints(db, gap * (1.0 - 1e-6), distance, here, there));
  }
  EXPECT_GT(separated, 200);
}

TEST(MeshDistance, CrossingSurfacesAreZeroApartAndEmptyMeshesAnswerNothing) {
  const ON_Mesh box = test_meshes::Box(0, 0, 0, 2, 2, 2);
  // A sheet through the box, its corners outside it: only edges cross.
  const ON_Mesh sheet = test_meshes::Quad(-1, -1, 3, 3, 1);
  const TL_MeshDistance db(box), ds(sheet), empty{ON_Mesh()};
  double distance = -1.0;
  ON_3dPoint here, there;
  ASSERT_TRUE(ds.ClosestPoints(db, 0.5, distance, here, there));
  EXPECT_EQ(distance, 0.0);
  EXPECT_NEAR(here.z, 1.0, 1e-12);
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_FALSE(empty.ClosestPoints(db, 10.0, distance, here, there));
  EXPECT_FALSE(db.ClosestPoints(empty, 10.0, distance, here, there));
  EXPECT_FALSE(db.ClosestPoints(ds, 0.0, distance, here, there));
  ON_3dPoint closest;
  EXPECT_FALSE(empty.DistanceTo(ON_3dPoint(1, 1, 1), distance, closest));
  // From inside, the nearest face of the box.
  ASSERT_TRUE(db.DistanceTo(ON_3dPoint(0.5, 1, 1), distance, closest));
  EXPECT_DOUBLE_EQ(distance, 0.5);
  EXPECT_LT(closest.DistanceTo(ON_3dPoint(0, 1, 1)), 1e-12);
}

// The nearest point on one triangle by another route than the library's:
// the projection onto the plane when it falls inside, else the nearest
// point of the three edges.
ON_3dPoint NearestOnTriangle(const ON_3dPoint& p, const ON_3dPoint& a, const ON_3dPoint& b,
                             const ON_3dPoint& c) {
  auto on_segment = [&](const ON_3dPoint& s, const ON_3dPoint& e) {
    const ON_3dVector d = e - s;
    const double len = d * d;
    const double t = len > 0 ? std::clamp(((p - s) * d) / len, 0.0, 1.0) : 0.0;
    return s + t * d;
  };
  const ON_3dVector n = ON_CrossProduct(b - a, c - a);
  if (n.Length() > 1e-14) {
    const ON_3dPoint q = p - (((p - a) * n) / (n * n)) * n;
    const bool inside = ON_CrossProduct(b - a, q - a) * n >= 0 &&
                        ON_CrossProduct(c - b, q - b) * n >= 0 &&
                        ON_CrossProduct(a - c, q - c) * n >= 0;
    if (inside) return q;
  }
  ON_3dPoint best = on_segment(a, b);
  for (const ON_3dPoint& q : {on_segment(b, c), on_segment(c, a)})
    if (p.DistanceTo(q) < p.DistanceTo(best)) best = q;
  return best;
}

// Points inside, on and around a dense sphere and a pair of boxes (deep
// points are the clash report's queries): the distance is that of the
// nearest of all triangles, compared one by one, and the point found lies
// that far away.
TEST(MeshDistance, PointDistanceIsTheLeastOverEveryTriangle) {
  ON_Mesh mesh = test_meshes::Sphere(ON_3dPoint(1, 2, 3), 2.0, 24, 40);
  mesh.Append(test_meshes::Box(4, 0, 0, 5, 7, 1));
  const TL_MeshDistance surface(mesh);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(-2.0, 7.0);
  for (int trial = 0; trial < 300; ++trial) {
    const ON_3dPoint p(coordinate(random), coordinate(random), coordinate(random));
    double least = 1e300;
    for (int f = 0; f < mesh.FaceCount(); ++f) {
      const ON_MeshFace& face = mesh.m_F[f];
      least = std::min(least, p.DistanceTo(NearestOnTriangle(p, mesh.Vertex(face.vi[0]),
                                                             mesh.Vertex(face.vi[1]),
                                                             mesh.Vertex(face.vi[2]))));
      if (!face.IsTriangle())
        least = std::min(least, p.DistanceTo(NearestOnTriangle(p, mesh.Vertex(face.vi[0]),
                                                               mesh.Vertex(face.vi[2]),
                                                               mesh.Vertex(face.vi[3]))));
    }
    double distance = -1.0;
    ON_3dPoint closest;
    ASSERT_TRUE(surface.DistanceTo(p, distance, closest));
    EXPECT_NEAR(distance, least, 1e-9) << trial;
    EXPECT_NEAR(p.DistanceTo(closest), distance, 1e-9) << trial;
  }
}

} // namespace
