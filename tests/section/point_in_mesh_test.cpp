// Point classification: barycentric classes, triangles, and closed meshes.

#include "section/point_in_mesh.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

TEST(ClassifyBarycentric, SortsWeightsIntoInsideCornerEdgeOutside) {
  EXPECT_EQ(ClassifyBarycentric(0.25, 0.25), triangle_inside);
  EXPECT_EQ(ClassifyBarycentric(0.0, 0.0), triangle_corner); // T0
  EXPECT_EQ(ClassifyBarycentric(1.0, 0.0), triangle_corner); // T2
  EXPECT_EQ(ClassifyBarycentric(0.0, 1.0), triangle_corner); // T1
  EXPECT_EQ(ClassifyBarycentric(0.5, 0.0), triangle_edge);   // T0-T2
  EXPECT_EQ(ClassifyBarycentric(0.5, 0.5), triangle_edge);   // T1-T2
  EXPECT_EQ(ClassifyBarycentric(-0.1, 0.5), triangle_outside);
  EXPECT_EQ(ClassifyBarycentric(0.6, 0.6), triangle_outside);
}

TEST(ClassifyBarycentric, BordersAreOneEpsilonWideAndStrict) {
  const double eps = std::numeric_limits<double>::epsilon();
  // Exactly epsilon is not "greater than epsilon": still on the border.
  EXPECT_EQ(ClassifyBarycentric(eps, 0.5), triangle_edge);
  EXPECT_EQ(ClassifyBarycentric(2 * eps, 0.5), triangle_inside);
  // Exactly -epsilon is not "less than -epsilon": on the border, not outside.
  EXPECT_EQ(ClassifyBarycentric(-eps, 0.5), triangle_edge);
  EXPECT_EQ(ClassifyBarycentric(-2 * eps, 0.5), triangle_outside);
}

TEST(ClassifyBarycentric, NonFiniteWeightsAreEdgeOrOutside) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ClassifyBarycentric(nan, nan), triangle_edge);
  EXPECT_EQ(ClassifyBarycentric(inf, 0.1), triangle_outside);
  EXPECT_EQ(ClassifyBarycentric(-inf, 0.1), triangle_outside);
}

TEST(ClassifyPointInTriangle, ProjectsOntoThePlaneOfTheTriangle) {
  const ON_3dPoint T0(0, 0, 0), T1(0, 4, 0), T2(4, 0, 0);
  EXPECT_EQ(ClassifyPointInTriangle(ON_3dPoint(1, 1, 0), T0, T1, T2), triangle_inside);
  EXPECT_EQ(ClassifyPointInTriangle(ON_3dPoint(1, 1, 50), T0, T1, T2), triangle_inside);
  EXPECT_EQ(ClassifyPointInTriangle(ON_3dPoint(4, 0, -3), T0, T1, T2), triangle_corner);
  EXPECT_EQ(ClassifyPointInTriangle(ON_3dPoint(2, 2, 0), T0, T1, T2), triangle_edge);
  EXPECT_EQ(ClassifyPointInTriangle(ON_3dPoint(3, 3, 0), T0, T1, T2), triangle_outside);
}

TEST(ClassifyPointInTriangle, DegenerateTriangleNeverCountsAsInside) {
  const ON_3dPoint A(0, 0, 0), B(1, 1, 1), C(2, 2, 2); // collinear
  EXPECT_NE(ClassifyPointInTriangle(ON_3dPoint(1, 1, 1), A, B, C), triangle_inside);
  EXPECT_NE(ClassifyPointInTriangle(ON_3dPoint(5, 0, 0), A, B, C), triangle_inside);
}

TEST(IsPointInsideMesh, BoxCentreIsInsideAndFarPointsAreOutside) {
  const ON_Mesh box =
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 3, 4)));
  EXPECT_TRUE(IsPointInsideMesh(box, ON_3dPoint(1, 1.5, 2)));
  EXPECT_TRUE(IsPointInsideMesh(box, ON_3dPoint(0.1, 2.9, 3.9))); // near a corner
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(5, 1, 1)));
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(-1e-3, 1, 1)));
}

TEST(IsPointInsideMesh, PointsOnTheSurfaceAreOutside) {
  const ON_Mesh box =
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(2, 2, 2)));
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(1, 1, 0)));        // on a face
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(0, 0, 0)));        // at a corner
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(1, 1, 2 - 1e-7))); // within the tolerance
  EXPECT_TRUE(IsPointInsideMesh(box, ON_3dPoint(1, 1, 2 - 1e-4)));
}

TEST(IsPointInsideMesh, MeshWithoutFacesContainsNothing) {
  ON_Mesh empty;
  EXPECT_FALSE(IsPointInsideMesh(empty, ON_3dPoint(0, 0, 0)));
  ON_Mesh points_only;
  points_only.SetVertex(0, ON_3dPoint(-1, -1, -1));
  points_only.SetVertex(1, ON_3dPoint(1, 1, 1));
  EXPECT_FALSE(IsPointInsideMesh(points_only, ON_3dPoint(0, 0, 0)));
}

// Rays towards pole triangles and along latitude lines graze edges; the
// answers must still agree with the analytic sphere away from its surface.
TEST(IsPointInsideMesh, AgreesWithTheSphereItApproximates) {
  const ON_3dPoint centre(1, -2, 0.5);
  const double radius = 3.0;
  const ON_Mesh sphere = test_meshes::WithFaceNormals(test_meshes::Sphere(centre, radius, 16, 24));
  std::mt19937 random(12345);
  std::uniform_real_distribution<double> coordinate(-4.0, 4.0);
  int inside = 0, outside = 0;
  for (int i = 0; i < 400; ++i) {
    const ON_3dPoint p(centre.x + coordinate(random), centre.y + coordinate(random),
                       centre.z + coordinate(random));
    const double d = p.DistanceTo(centre);
    if (d < 0.95 * radius) {
      EXPECT_TRUE(IsPointInsideMesh(sphere, p)) << "distance " << d;
      ++inside;
    } else if (d > 1.01 * radius) {
      EXPECT_FALSE(IsPointInsideMesh(sphere, p)) << "distance " << d;
      ++outside;
    }
  }
  EXPECT_GT(inside, 20);
  EXPECT_GT(outside, 20);
  // Points on the axis through the poles send rays along meridians.
  EXPECT_TRUE(IsPointInsideMesh(sphere, centre));
  EXPECT_TRUE(IsPointInsideMesh(sphere, ON_3dPoint(centre.x, centre.y, centre.z + 2.0)));
}

TEST(IsPointInsideMesh, NonFinitePointIsOutside) {
  const ON_Mesh box =
      test_meshes::WithFaceNormals(test_meshes::Box(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1)));
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(IsPointInsideMesh(box, ON_3dPoint(nan, 0.5, 0.5)));
}

} // namespace
