// Planes from three points, signed distances, lines, line-plane
// intersection and plane-equation transforms.

#include <gtest/gtest.h>

#include <cmath>

#include "opennurbs.h"

namespace {

TEST(Plane, FromThreePointsFollowsTheirOrder) {
  const ON_Plane p(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0));
  ASSERT_TRUE(p.IsValid());
  EXPECT_EQ(p.zaxis, ON_3dVector(0, 0, 1));
  EXPECT_DOUBLE_EQ(p.DistanceTo(ON_3dPoint(5, 5, 2)), 2.0);
  EXPECT_DOUBLE_EQ(p.DistanceTo(ON_3dPoint(-3, 9, -3)), -3.0);
  const ON_Plane q(ON_3dPoint(0, 0, 0), ON_3dPoint(0, 1, 0), ON_3dPoint(1, 0, 0));
  EXPECT_DOUBLE_EQ(q.DistanceTo(ON_3dPoint(5, 5, 2)), -2.0);
}

TEST(Plane, ObliquePlaneDistances) {
  // x + y + z = 1.
  const ON_Plane p(ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0), ON_3dPoint(0, 0, 1));
  ASSERT_TRUE(p.IsValid());
  const double s = 1.0 / std::sqrt(3.0);
  EXPECT_NEAR(p.zaxis.x, s, 1e-15);
  EXPECT_NEAR(p.DistanceTo(ON_3dPoint(0, 0, 0)), -s, 1e-15);
  EXPECT_NEAR(p.DistanceTo(ON_3dPoint(1, 1, 1)), 2 * s, 1e-15);
  EXPECT_NEAR(p.DistanceTo(ON_3dPoint(1.0 / 3, 1.0 / 3, 1.0 / 3)), 0.0, 1e-15);
  EXPECT_NEAR(p.plane_equation.ValueAt(ON_3dPoint(0, 0, 0)), -s, 1e-15);
  // Frame is orthonormal and right-handed.
  EXPECT_NEAR(p.xaxis * p.yaxis, 0.0, 1e-15);
  EXPECT_NEAR((ON_CrossProduct(p.xaxis, p.yaxis) - p.zaxis).Length(), 0.0, 1e-15);
}

TEST(Plane, CollinearCornersGiveInvalidPlaneMeasuringToTheirLine) {
  const ON_Plane p(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(2, 0, 0));
  EXPECT_FALSE(p.IsValid());
  EXPECT_DOUBLE_EQ(p.DistanceTo(ON_3dPoint(5, 3, 4)), 5.0);
  EXPECT_DOUBLE_EQ(p.DistanceTo(ON_3dPoint(7, 0, 0)), 0.0);
  const ON_Plane point(ON_3dPoint(1, 1, 1), ON_3dPoint(1, 1, 1), ON_3dPoint(1, 1, 1));
  EXPECT_FALSE(point.IsValid());
  EXPECT_DOUBLE_EQ(point.DistanceTo(ON_3dPoint(1, 4, 5)), 5.0);
}

TEST(Line, PointAtHitsTheEndsExactly) {
  const ON_Line l(ON_3dPoint(0.1, 0.2, 0.3), ON_3dPoint(1.7, -2.9, 3.3));
  EXPECT_EQ(l.PointAt(0.0), l.from);
  EXPECT_EQ(l.PointAt(1.0), l.to);
  const ON_3dPoint q = l.PointAt(0.25);
  EXPECT_NEAR(q.x, 0.5, 1e-15);
  EXPECT_NEAR(q.y, -0.575, 1e-15);
  double t = 0;
  ASSERT_TRUE(l.ClosestPointTo(q, &t));
  EXPECT_NEAR(t, 0.25, 1e-15);
}

TEST(Intersect, LineCrossingAPlaneGivesItsParameter) {
  const ON_Plane xy(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0));
  double t = 99;
  ASSERT_TRUE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, -1), ON_3dPoint(0, 0, 1)), xy, &t));
  EXPECT_DOUBLE_EQ(t, 0.5);
  // Behind the start: negative parameter.
  ASSERT_TRUE(ON_Intersect(ON_Line(ON_3dPoint(3, 4, 2), ON_3dPoint(3, 4, 4)), xy, &t));
  EXPECT_DOUBLE_EQ(t, -1.0);
  // Slanted: from (0,0,3) through (1,0,1) meets z = 0 at t = 1.5.
  ASSERT_TRUE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, 3), ON_3dPoint(1, 0, 1)), xy, &t));
  EXPECT_DOUBLE_EQ(t, 1.5);
}

TEST(Intersect, ParallelDegenerateOrInvalidGivesNoIntersection) {
  const ON_Plane xy(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0));
  double t = 42;
  EXPECT_FALSE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, 1), ON_3dPoint(1, 0, 1)), xy, &t));
  EXPECT_FALSE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 0)), xy, &t)); // in plane
  EXPECT_FALSE(
      ON_Intersect(ON_Line(ON_3dPoint(0, 0, 1), ON_3dPoint(0, 0, 1)), xy, &t)); // no length
  const ON_Plane bad(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(2, 0, 0));
  EXPECT_FALSE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, -1), ON_3dPoint(0, 0, 1)), bad, &t));
  EXPECT_EQ(t, 42);
  EXPECT_TRUE(ON_Intersect(ON_Line(ON_3dPoint(0, 0, -1), ON_3dPoint(0, 0, 1)), xy, nullptr));
}

TEST(PlaneEquation, TranslationMovesThePlane) {
  ON_PlaneEquation e(0, 0, 1, 0);
  ASSERT_TRUE(e.Transform(ON_Xform::TranslationTransformation(ON_3dVector(0, 0, 5))));
  EXPECT_NEAR(e.x, 0, 1e-15);
  EXPECT_NEAR(e.z, 1, 1e-15);
  EXPECT_NEAR(e.d, -5, 1e-15);
}

TEST(PlaneEquation, NonUniformScaleUsesTheInverseTranspose) {
  // x + y = 1 scaled by 2 in x becomes x/2 + y = 1.
  ON_PlaneEquation e(1, 1, 0, -1);
  ON_Xform s;
  s.m_xform[0][0] = 2.0;
  ASSERT_TRUE(e.Transform(s));
  EXPECT_NEAR(e.x, 0.5, 1e-15);
  EXPECT_NEAR(e.y, 1, 1e-15);
  EXPECT_NEAR(e.d, -1, 1e-15);
  EXPECT_NEAR(e.ValueAt(ON_3dPoint(2, 0, 0)), 0, 1e-15);
}

TEST(PlaneEquation, RotationKeepsPointsOnTheirSide) {
  const ON_Xform r =
      ON_Xform::RotationTransformation(0.7, ON_3dVector(1, 2, 3), ON_3dPoint(4, -1, 2));
  ON_PlaneEquation e;
  ASSERT_TRUE(e.Create(ON_3dPoint(1, 1, 1), ON_3dVector(0, 1, 1)));
  const ON_3dPoint on(1, 2, 0), above(0, 3, 3);
  const double before = e.ValueAt(above);
  ASSERT_TRUE(e.Transform(r));
  EXPECT_NEAR(e.ValueAt(r * on), 0.0, 1e-13);
  EXPECT_NEAR(e.ValueAt(r * above), before, 1e-13); // rigid: distances kept
  EXPECT_FALSE(e.Transform(ON_Xform::ZeroTransformation));
}

TEST(Polyline, LengthClosednessAndCurveGeometry) {
  ON_Polyline p;
  for (const ON_3dPoint& q :
       {ON_3dPoint(0, 0, 0), ON_3dPoint(3, 0, 0), ON_3dPoint(3, 4, 0), ON_3dPoint(0, 0, 0)})
    p.Append(q);
  EXPECT_TRUE(p.IsValid());
  EXPECT_TRUE(p.IsClosed());
  EXPECT_DOUBLE_EQ(p.Length(), 12.0);
  EXPECT_EQ(p.PointCount(), 4);
  EXPECT_EQ(p.PointAt(1.5), ON_3dPoint(3, 2, 0));
  EXPECT_EQ(p.PointAt(-1), ON_3dPoint(0, 0, 0));
  EXPECT_EQ(p.PointAt(NAN), ON_3dPoint(0, 0, 0));

  ON_PolylineCurve curve(p);
  EXPECT_EQ(curve.ObjectType(), ON::curve_object);
  EXPECT_EQ(curve.BoundingBox().m_max, ON_3dPoint(3, 4, 0));
  ASSERT_TRUE(curve.Transform(ON_Xform::TranslationTransformation(ON_3dVector(0, 0, 2))));
  EXPECT_EQ(curve.m_pline[2], ON_3dPoint(3, 4, 2));
  EXPECT_EQ(p[2], ON_3dPoint(3, 4, 0)); // the curve holds its own copy

  ON_BinaryArchive out;
  ASSERT_TRUE(curve.Write(out));
  ON_BinaryArchive in(out.Buffer().data(), out.Buffer().size());
  ON_PolylineCurve back;
  ASSERT_TRUE(back.Read(in));
  EXPECT_EQ(back.DataCRC(0), curve.DataCRC(0));
  const unsigned char huge_count[4] = {0xff, 0xff, 0xff, 0x7f};
  ON_BinaryArchive lying(huge_count, 4);
  EXPECT_FALSE(back.Read(lying)); // refuses before allocating
  EXPECT_EQ(back.PointCount(), 4);

  ON_Polyline repeated;
  repeated.Append(ON_3dPoint(1, 1, 1));
  repeated.Append(ON_3dPoint(1, 1, 1));
  EXPECT_FALSE(repeated.IsValid());
  auto* owned = new ON_Polyline(p); // deleted through its owner's list, as caches do
  ON_SimpleArray<ON_Polyline*> list;
  list.Append(owned);
  EXPECT_EQ(list[0]->PointCount(), 4);
  delete list[0];
}

} // namespace
