// Viewport frames, projections, coordinate transforms, picking lines and
// framing.

#include <gtest/gtest.h>

#include <cmath>

#include "opennurbs.h"

namespace {

void ExpectNear(const ON_3dPoint& p, const ON_3dPoint& q, double tol = 1e-9) {
  EXPECT_NEAR(p.x, q.x, tol);
  EXPECT_NEAR(p.y, q.y, tol);
  EXPECT_NEAR(p.z, q.z, tol);
}

// Camera at (0,-10,0) looking along +y with z up; frustum +-1 at near 1.
ON_Viewport FrontView() {
  ON_Viewport vp;
  EXPECT_TRUE(vp.SetCameraLocation(ON_3dPoint(0, -10, 0)));
  EXPECT_TRUE(vp.SetCameraDirection(ON_3dVector(0, 1, 0)));
  EXPECT_TRUE(vp.SetCameraUp(ON_3dVector(0, 0, 1)));
  EXPECT_TRUE(vp.SetFrustum(-1, 1, -1, 1, 1, 100));
  EXPECT_TRUE(vp.SetScreenPort(0, 100, 100, 0));
  return vp;
}

TEST(Viewport, DefaultIsValidAndCameraZPointsBack) {
  ON_Viewport vp;
  EXPECT_TRUE(vp.IsValid());
  EXPECT_TRUE(vp.IsPerspectiveProjection());
  EXPECT_EQ(vp.CameraZ(), -vp.CameraDirection());
}

TEST(Viewport, CameraFrameIsRightHandedWithZBackTowardTheCamera) {
  const ON_Viewport vp = FrontView();
  ExpectNear(ON_3dPoint(vp.CameraX()), ON_3dPoint(1, 0, 0));
  ExpectNear(ON_3dPoint(vp.CameraY()), ON_3dPoint(0, 0, 1));
  ExpectNear(ON_3dPoint(vp.CameraZ()), ON_3dPoint(0, -1, 0));
  ON_Viewport bad = vp;
  EXPECT_FALSE(bad.SetCameraUp(ON_3dVector(0, 2, 0))); // parallel to the direction
  EXPECT_FALSE(bad.SetCameraDirection(ON_3dVector(0, 0, 0)));
  EXPECT_EQ(bad.CameraY(), vp.CameraY());
}

TEST(Viewport, WorldCameraTransformsAreInverse) {
  const ON_Viewport vp = FrontView();
  ON_Xform w2c, c2w;
  ASSERT_TRUE(vp.GetXform(ON::world_cs, ON::camera_cs, w2c));
  ASSERT_TRUE(vp.GetXform(ON::camera_cs, ON::world_cs, c2w));
  ExpectNear(w2c * ON_3dPoint(0, -10, 0), ON_3dPoint(0, 0, 0));
  ExpectNear(w2c * ON_3dPoint(0, 0, 0), ON_3dPoint(0, 0, -10)); // in front: negative z
  ExpectNear(w2c * ON_3dPoint(2, 0, 3), ON_3dPoint(2, 3, -10));
  EXPECT_TRUE((w2c * c2w).IsIdentity(1e-12));
}

TEST(Viewport, ClipAndScreenCoordinates) {
  const ON_Viewport vp = FrontView();
  ON_Xform c2clip;
  ASSERT_TRUE(vp.GetXform(ON::camera_cs, ON::clip_cs, c2clip));
  ExpectNear(c2clip * ON_3dPoint(0, 0, -1), ON_3dPoint(0, 0, -1));
  ExpectNear(c2clip * ON_3dPoint(0, 0, -100), ON_3dPoint(0, 0, 1));
  ExpectNear(c2clip * ON_3dPoint(1, 1, -1), ON_3dPoint(1, 1, -1));
  const ON_3dPoint side = c2clip * ON_3dPoint(5, -5, -5);
  EXPECT_NEAR(side.x, 1.0, 1e-12);
  EXPECT_NEAR(side.y, -1.0, 1e-12);
  EXPECT_NEAR(side.z, 305.0 / 495.0, 1e-12); // (101/99 * 5 - 200/99) / 5
  ON_3dPoint s;
  ASSERT_TRUE(vp.GetScreenCoordinates(ON_3dPoint(0, 0, 0), s));
  ExpectNear(ON_3dPoint(s.x, s.y, 0), ON_3dPoint(50, 50, 0));
  // World (1,-9,1) is at camera (1,1,-1): the top right corner, pixel (100, 0).
  ASSERT_TRUE(vp.GetScreenCoordinates(ON_3dPoint(1, -9, 1), s));
  ExpectNear(ON_3dPoint(s.x, s.y, s.z), ON_3dPoint(100, 0, 0));
  ON_Xform w2s, s2w;
  ASSERT_TRUE(vp.GetXform(ON::world_cs, ON::screen_cs, w2s));
  ASSERT_TRUE(vp.GetXform(ON::screen_cs, ON::world_cs, s2w));
  ExpectNear(s2w * (w2s * ON_3dPoint(3, 20, -4)), ON_3dPoint(3, 20, -4), 1e-8);
}

TEST(Viewport, FrustumLineThroughAPixel) {
  const ON_Viewport vp = FrontView();
  ON_Line line;
  ASSERT_TRUE(vp.GetFrustumLine(50, 50, line));
  ExpectNear(line.from, ON_3dPoint(0, -9, 0));
  ExpectNear(line.to, ON_3dPoint(0, 90, 0), 1e-7);
  ASSERT_TRUE(vp.GetFrustumLine(100, 0, line));
  ExpectNear(line.from, ON_3dPoint(1, -9, 1));
  ExpectNear(line.to, ON_3dPoint(100, 90, 100), 1e-6);
}

TEST(Viewport, FarClippingPlaneTakenFromCameraToWorld) {
  const ON_Viewport vp = FrontView();
  // In camera coordinates the far plane is z = -far; keep what is nearer.
  ON_ClippingPlaneInfo info;
  info.m_plane_equation = ON_PlaneEquation(0, 0, 1, vp.FrustumFar());
  info.m_bEnabled = true;
  ON_Xform c2w;
  ASSERT_TRUE(vp.GetXform(ON::camera_cs, ON::world_cs, c2w));
  ASSERT_TRUE(info.m_plane_equation.Transform(c2w));
  EXPECT_NEAR(info.m_plane_equation.ValueAt(ON_3dPoint(0, 90, 0)), 0.0, 1e-9);
  EXPECT_NEAR(info.m_plane_equation.ValueAt(ON_3dPoint(0, 0, 0)), 90.0, 1e-9);
  EXPECT_LT(info.m_plane_equation.ValueAt(ON_3dPoint(5, 95, 5)), 0.0);
  EXPECT_TRUE(ON_UuidIsNil(info.m_plane_id));
}

TEST(Viewport, NearFarKeepsViewingAnglesAndRejectsBadValues) {
  ON_Viewport vp = FrontView();
  ASSERT_TRUE(vp.SetFrustumNearFar(2, 50));
  EXPECT_DOUBLE_EQ(vp.FrustumRight(), 2.0);
  EXPECT_DOUBLE_EQ(vp.FrustumNear(), 2.0);
  EXPECT_FALSE(vp.SetFrustumNearFar(0, 50));
  EXPECT_FALSE(vp.SetFrustumNearFar(5, 5));
  EXPECT_FALSE(vp.SetFrustumNearFar(NAN, 5));
  EXPECT_DOUBLE_EQ(vp.FrustumFar(), 50.0);
  ASSERT_TRUE(vp.SetFrustumNearFar(ON_BoundingBox(ON_3dPoint(-1, -1, -1), ON_3dPoint(1, 1, 1))));
  EXPECT_LE(vp.FrustumNear(), 9.0);
  EXPECT_GE(vp.FrustumFar(), 11.0);
  EXPECT_FALSE(
      vp.SetFrustumNearFar(ON_BoundingBox(ON_3dPoint(-1, -30, -1), ON_3dPoint(1, -20, 1))));
}

TEST(Viewport, TargetPoint) {
  ON_Viewport vp = FrontView();
  ExpectNear(vp.TargetPoint(), ON_3dPoint(0, -10 + 50.5, 0)); // middle of near/far
  ASSERT_TRUE(vp.SetTargetPoint(ON_3dPoint(0, 5, 0)));
  EXPECT_EQ(vp.TargetPoint(), ON_3dPoint(0, 5, 0));
  EXPECT_DOUBLE_EQ(vp.TargetDistance(), 15.0);
  EXPECT_FALSE(vp.SetTargetPoint(ON_3dPoint::UnsetPoint));
}

TEST(Viewport, DollyExtentsFramesTheBox) {
  for (const bool parallel : {false, true}) {
    ON_Viewport vp = FrontView();
    if (parallel) {
      ASSERT_TRUE(vp.ChangeToParallelProjection());
    }
    const ON_BoundingBox box(ON_3dPoint(10, 10, 10), ON_3dPoint(14, 12, 11));
    ASSERT_TRUE(vp.DollyExtents(box));
    EXPECT_EQ(vp.CameraDirection(), ON_3dVector(0, 1, 0));
    ExpectNear(vp.TargetPoint(), box.Center());
    ON_Xform w2clip;
    ASSERT_TRUE(vp.GetXform(ON::world_cs, ON::clip_cs, w2clip));
    for (int i = 0; i < 8; ++i) {
      const ON_3dPoint c = w2clip * box.Corner(i);
      EXPECT_LE(std::fabs(c.x), 1.0) << parallel;
      EXPECT_LE(std::fabs(c.y), 1.0) << parallel;
      EXPECT_LE(std::fabs(c.z), 1.0) << parallel;
    }
    // The box fills a fair share of the view.
    const ON_3dPoint a = w2clip * box.m_min, b = w2clip * box.m_max;
    EXPECT_GT(std::fabs(b.x - a.x), 0.8) << parallel;
  }
  ON_Viewport vp;
  EXPECT_FALSE(vp.DollyExtents(ON_BoundingBox()));
}

TEST(Viewport, ScreenSizeSetsAspectAndPixelSize) {
  ON_Viewport vp = FrontView();
  ASSERT_TRUE(vp.SetScreenSize(200, 100));
  EXPECT_EQ(vp.ScreenPortWidth(), 200);
  EXPECT_DOUBLE_EQ(vp.FrustumAspect(), 2.0);
  EXPECT_DOUBLE_EQ(vp.WorldUnitsPerPixel(10.0), 0.2); // 2 units high at depth 1 -> 20 at 10
  EXPECT_FALSE(vp.SetScreenSize(0, 10));
}

} // namespace
