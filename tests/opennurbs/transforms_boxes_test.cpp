// Points, transforms and bounding boxes, checked against values worked out
// by hand.

#include <gtest/gtest.h>

#include <cmath>

#include "opennurbs.h"

namespace {

void ExpectPoint(const ON_3dPoint& p, double x, double y, double z, double tol = 1e-12) {
  EXPECT_NEAR(p.x, x, tol);
  EXPECT_NEAR(p.y, y, tol);
  EXPECT_NEAR(p.z, z, tol);
}

TEST(Points, ArithmeticMatchesHandValues) {
  const ON_3dPoint a(0, 0, 0), b(3, 0, 0), c(0, 3, 3);
  ExpectPoint((a + b + c) / 3.0, 1, 1, 1);
  const ON_3dVector n = ON_3dPoint(3, 0, 0) - ON_3dPoint(1, 0, 0);
  EXPECT_EQ(n, ON_3dVector(2, 0, 0)); // not normalised
  ExpectPoint(ON_3dPoint(1, 2, 3) + 2.0 * -ON_3dVector(0, 0, 1), 1, 2, 1);
  EXPECT_DOUBLE_EQ(ON_DotProduct(ON_3dVector(1, 2, 3), ON_3dVector(4, -5, 6)), 12.0);
  EXPECT_EQ(ON_CrossProduct(ON_3dVector::XAxis, ON_3dVector::YAxis), ON_3dVector::ZAxis);
  EXPECT_EQ(sizeof(ON_3dPoint), 24u);
}

TEST(Points, UnitizeRefusesZeroAndKeepsHugeVectorsFinite) {
  ON_3dVector z(0, 0, 0);
  EXPECT_FALSE(z.Unitize());
  EXPECT_EQ(z, ON_3dVector(0, 0, 0));
  ON_3dVector v(3, 4, 0);
  EXPECT_TRUE(v.Unitize());
  EXPECT_NEAR(v.x, 0.6, 1e-15);
  EXPECT_NEAR(v.y, 0.8, 1e-15);
  ON_3dVector huge(1e300, 1e300, 0);
  EXPECT_NEAR(huge.Length(), std::sqrt(2.0) * 1e300, 1e286);
  EXPECT_TRUE(huge.Unitize());
  EXPECT_NEAR(huge.Length(), 1.0, 1e-15);
}

TEST(Points, FloatVerticesWidenExactly) {
  const ON_3fPoint f(0.1f, -2.5f, 3.0f);
  const ON_3dPoint d = f;
  EXPECT_EQ(d.x, static_cast<double>(0.1f));
  EXPECT_EQ(d.y, -2.5);
}

TEST(Mirror, ReflectsInThePlaneThroughThePointWithUnitNormal) {
  const ON_Xform m = ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0));
  ExpectPoint(m * ON_3dPoint(3, 4, 5), -3, 4, 5);
  ExpectPoint(m * ON_3dPoint(0, 7, -1), 0, 7, -1);
}

TEST(Mirror, NormalNeedNotBeUnitLength) {
  ON_Xform m;
  m.Mirror(ON_3dPoint(1, 0, 0), ON_3dVector(2, 0, 0));
  ExpectPoint(m * ON_3dPoint(3, 0, 0), -1, 0, 0);
  ExpectPoint(m * ON_3dPoint(1, 7, -2), 1, 7, -2); // on the plane: fixed
}

TEST(Mirror, ObliquePlane) {
  // Plane through (1,1,0) with normal (1,1,0): x + y = 2.
  const ON_Xform m = ON_Xform::MirrorTransformation(ON_3dPoint(1, 1, 0), ON_3dVector(1, 1, 0));
  ExpectPoint(m * ON_3dPoint(2, 2, 0), 0, 0, 0);
  ExpectPoint(m * ON_3dPoint(0, 0, 5), 2, 2, 5);
  ExpectPoint(m * ON_3dPoint(2, 0, 3), 2, 0, 3);
  // Vectors reflect without translation.
  const ON_3dVector v = m * ON_3dVector(1, 0, 0);
  EXPECT_NEAR(v.x, 0, 1e-15);
  EXPECT_NEAR(v.y, -1, 1e-15);
}

TEST(Mirror, IsAnInvolutionWithNegativeDeterminant) {
  const ON_Xform m = ON_Xform::MirrorTransformation(ON_3dPoint(1, 2, 3), ON_3dVector(1, -2, 0.5));
  EXPECT_TRUE((m * m).IsIdentity(1e-14));
  EXPECT_NEAR(m.Determinant(), -1.0, 1e-14);
}

TEST(Mirror, ZeroOrNonFiniteNormalGivesIdentity) {
  EXPECT_TRUE(
      ON_Xform::MirrorTransformation(ON_3dPoint(1, 2, 3), ON_3dVector(0, 0, 0)).IsIdentity());
  EXPECT_TRUE(
      ON_Xform::MirrorTransformation(ON_3dPoint(1, 2, 3), ON_3dVector(NAN, 0, 1)).IsIdentity());
  EXPECT_TRUE(
      ON_Xform::MirrorTransformation(ON_3dPoint::UnsetPoint, ON_3dVector(1, 0, 0)).IsIdentity());
}

TEST(Xform, ProductAppliesTheRightFactorFirst) {
  const ON_Xform t = ON_Xform::TranslationTransformation(ON_3dVector(1, 0, 0));
  const ON_Xform m = ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0));
  ExpectPoint((m * t) * ON_3dPoint(2, 0, 0), -3, 0, 0); // translate, then mirror
  ExpectPoint((t * m) * ON_3dPoint(2, 0, 0), -1, 0, 0); // mirror, then translate
  EXPECT_TRUE(ON_Xform().IsIdentity());
}

TEST(Xform, RotationAndInverse) {
  const ON_Xform r =
      ON_Xform::RotationTransformation(ON_PI / 2, ON_3dVector::ZAxis, ON_3dPoint(1, 0, 0));
  ExpectPoint(r * ON_3dPoint(2, 0, 0), 1, 1, 0, 1e-15);
  ON_Xform inv = r;
  ASSERT_TRUE(inv.Invert());
  ExpectPoint(inv * ON_3dPoint(1, 1, 0), 2, 0, 0, 1e-15);
  EXPECT_TRUE((r * inv).IsIdentity(1e-14));
}

TEST(Xform, SingularInverseFailsAndLeavesTheTransform) {
  ON_Xform s = ON_Xform::ScaleTransformation(ON_3dPoint(0, 0, 0), 0.0);
  const ON_Xform before = s;
  EXPECT_FALSE(s.Invert());
  EXPECT_EQ(s, before);
  EXPECT_EQ(s.Inverse(), ON_Xform::ZeroTransformation);
}

TEST(BoundingBox, EmptyIsInvalidAndNeutralForUnion) {
  ON_BoundingBox empty;
  EXPECT_FALSE(empty.IsValid());
  ON_BoundingBox b(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 2, 3));
  EXPECT_TRUE(b.IsValid());
  ON_BoundingBox u = empty;
  EXPECT_TRUE(u.Union(b));
  EXPECT_EQ(u.m_min, b.m_min);
  EXPECT_EQ(u.m_max, b.m_max);
  EXPECT_TRUE(u.Union(ON_BoundingBox(ON_3dPoint(-1, 1, 1), ON_3dPoint(0.5, 5, 2))));
  EXPECT_EQ(u.m_min, ON_3dPoint(-1, 0, 0));
  EXPECT_EQ(u.m_max, ON_3dPoint(1, 5, 3));
  EXPECT_TRUE(u.Union(empty));
  EXPECT_EQ(u.m_max, ON_3dPoint(1, 5, 3));
}

TEST(BoundingBox, BoundaryCountsAsInside) {
  const ON_BoundingBox b(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  EXPECT_TRUE(b.IsPointIn(ON_3dPoint(1, 0.5, 0)));
  EXPECT_TRUE(b.IsPointIn(ON_3dPoint(0, 0, 0)));
  EXPECT_FALSE(b.IsPointIn(ON_3dPoint(1.0000001, 0.5, 0.5)));
  EXPECT_FALSE(b.IsPointIn(ON_3dPoint(1, 0.5, 0), true));
  EXPECT_FALSE(ON_BoundingBox().IsPointIn(ON_3dPoint(0, 0, 0)));
  EXPECT_FALSE(b.IsPointIn(ON_3dPoint(NAN, 0.5, 0.5)));
}

TEST(BoundingBox, TouchingBoxesIntersect) {
  const ON_BoundingBox a(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  const ON_BoundingBox touching(ON_3dPoint(1, 0, 0), ON_3dPoint(2, 1, 1));
  const ON_BoundingBox corner(ON_3dPoint(1, 1, 1), ON_3dPoint(2, 2, 2));
  const ON_BoundingBox apart(ON_3dPoint(1.000001, 0, 0), ON_3dPoint(2, 1, 1));
  EXPECT_TRUE(a.Intersects(touching));
  EXPECT_TRUE(a.Intersects(corner));
  EXPECT_FALSE(a.Intersects(apart));
  EXPECT_TRUE(a.IsDisjoint(apart));
  EXPECT_FALSE(a.Intersects(ON_BoundingBox()));

  ON_BoundingBox i = a;
  EXPECT_TRUE(i.Intersection(touching));
  EXPECT_EQ(i.m_min, ON_3dPoint(1, 0, 0));
  EXPECT_EQ(i.m_max, ON_3dPoint(1, 1, 1)); // flat, still valid
  EXPECT_TRUE(i.IsValid());
  i = a;
  EXPECT_FALSE(i.Intersection(apart));
  EXPECT_FALSE(i.IsValid());
}

TEST(BoundingBox, TransformBoxesTheTransformedCorners) {
  ON_BoundingBox b(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  ASSERT_TRUE(b.Transform(
      ON_Xform::RotationTransformation(ON_PI / 4, ON_3dVector::ZAxis, ON_3dPoint(0, 0, 0))));
  const double h = std::sqrt(0.5);
  EXPECT_NEAR(b.m_min.x, -h, 1e-15);
  EXPECT_NEAR(b.m_max.x, h, 1e-15);
  EXPECT_NEAR(b.m_min.y, 0, 1e-15);
  EXPECT_NEAR(b.m_max.y, 2 * h, 1e-15);
  EXPECT_NEAR(b.m_max.z, 1, 1e-15);
  // A mirror swaps which corner is smaller; the box stays ordered.
  ON_BoundingBox m(ON_3dPoint(1, 0, 0), ON_3dPoint(2, 1, 1));
  ASSERT_TRUE(
      m.Transform(ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0))));
  EXPECT_EQ(m.m_min.x, -2);
  EXPECT_EQ(m.m_max.x, -1);
  ON_BoundingBox e;
  EXPECT_FALSE(e.Transform(ON_Xform()));
}

TEST(BoundingBox, SetFromPointsSkipsInvalidOnes) {
  const ON_3dPoint pts[3] = {ON_3dPoint(1, 5, 2), ON_3dPoint::UnsetPoint, ON_3dPoint(-1, 0, 7)};
  ON_BoundingBox b;
  ASSERT_TRUE(b.Set(3, pts));
  EXPECT_EQ(b.m_min, ON_3dPoint(-1, 0, 2));
  EXPECT_EQ(b.m_max, ON_3dPoint(1, 5, 7));
  EXPECT_DOUBLE_EQ(b.Volume(), 2 * 5 * 5);
}

} // namespace
