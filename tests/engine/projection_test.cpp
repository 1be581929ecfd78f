// Cameras: where a world point lands in the picture, worked out by hand,
// and what the engine does with viewports it cannot use.

#include "engine_scene.h"

#include <gtest/gtest.h>

namespace enginetest {
namespace {

const ON_Color kBackground(0, 0, 40);
const ON_Color kMark(255, 255, 0);

class Projection : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();

  // Draws a 1-pixel point and returns how many pixels it lit; `at` is the
  // one expected to be lit.
  void ExpectSinglePixel(const ON_Viewport& vp, const ON_3dPoint& p, int x, int y) {
    ASSERT_TRUE(engine_->BeginFrame(vp, kBackground));
    engine_->DrawPoint(p, kMark, 1);
    engine_->EndFrame();
    EXPECT_TRUE(Near(Pixel(*engine_, x, y), kMark)) << "expected at " << x << "," << y;
    int lit = 0;
    ON_Color c;
    for (int yy = 0; engine_->FramePixel(0, yy, c); ++yy)
      for (int xx = 0; engine_->FramePixel(xx, yy, c); ++xx)
        lit += Near(c, kMark) ? 1 : 0;
    EXPECT_EQ(lit, 1);
  }
};

TEST_F(Projection, ParallelViewPutsAPointTenPixelsPerUnitFromTheCentre) {
  // (3.05, 2.05): 30.5 px right of and 20.5 px above the centre (80, 60).
  ExpectSinglePixel(ParallelView(), {3.05, 2.05, 0}, 110, 39);
  // Depth does not move a point in a parallel view.
  ExpectSinglePixel(ParallelView(), {3.05, 2.05, -30}, 110, 39);
  ExpectSinglePixel(ParallelView(), {-7.95, -5.95, 0}, 0, 119);
}

TEST_F(Projection, ParallelViewFollowsTheCameraFrame) {
  // Looking along +x with z up: the camera's right is world -y.
  ON_Viewport vp = ParallelView();
  vp.SetCameraLocation(ON_3dPoint(-50, 0, 0));
  vp.SetCameraDirection(ON_3dVector(1, 0, 0));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  ExpectSinglePixel(vp, {0, -3.05, 2.05}, 110, 39);
}

TEST_F(Projection, PerspectiveViewShrinksWithDistance) {
  // At distance 10 one unit is 20 px, at distance 20 it is 10 px.
  ExpectSinglePixel(PerspectiveView(), {1.525, 1.025, 0}, 110, 39);
  ExpectSinglePixel(PerspectiveView(), {3.05, 2.05, -10}, 110, 39);
  ExpectSinglePixel(PerspectiveView(), {-1.525, -1.025, 0}, 49, 80);
}

TEST_F(Projection, OffCentreFrustumShiftsThePicture) {
  // Frustum shifted right by 4 units: the world origin moves 40 px left.
  ON_Viewport vp = ParallelView();
  vp.SetFrustum(-4.0, 12.0, -6.0, 6.0, 1.0, 100.0);
  ExpectSinglePixel(vp, {0.05, 0.05, 0}, 40, 59);
}

TEST_F(Projection, PictureTakesTheSizeOfTheScreenPort) {
  ON_Viewport vp = ParallelView(64, 48);
  ASSERT_TRUE(engine_->BeginFrame(vp, kBackground));
  engine_->EndFrame();
  ON_Color c;
  EXPECT_TRUE(engine_->FramePixel(63, 47, c));
  EXPECT_FALSE(engine_->FramePixel(64, 47, c));
  EXPECT_FALSE(engine_->FramePixel(63, 48, c));
  EXPECT_FALSE(engine_->FramePixel(-1, 0, c));
  EXPECT_TRUE(Near(c, kBackground));

  // The next frame may have another size.
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(), kBackground));
  engine_->EndFrame();
  EXPECT_TRUE(engine_->FramePixel(159, 119, c));
}

TEST_F(Projection, NothingBehindAPerspectiveCameraIsDrawn) {
  // Behind the camera, points would come out mirrored through the centre
  // (to the left of it here); only the part in front may show, to the right.
  ASSERT_TRUE(engine_->BeginFrame(PerspectiveView(), kBackground));
  engine_->DrawPoint({0.5, 0.05, 20}, kMark, 9);
  engine_->DrawLine({0.5, 0.05, 30}, {0.5, 0.05, -10}, kMark, 1, 0x0C3F);
  engine_->EndFrame();
  int left = 0, right = 0;
  ON_Color c;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (engine_->FramePixel(x, y, c) && Near(c, kMark)) ++(x < 80 ? left : right);
  EXPECT_EQ(left, 0);
  EXPECT_GE(right, 10);
}

TEST_F(Projection, UnusableViewportStartsNoFrameAndKeepsTheLastPicture) {
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(), kMark));
  engine_->EndFrame();

  ON_Viewport overflowing_port = ParallelView();
  ASSERT_TRUE(overflowing_port.SetScreenPort(-2000000000, 2000000000, 2000000000, -2000000000));
  ON_Viewport huge_port = ParallelView();
  huge_port.SetScreenPort(0, 100000, 100000, 0);
  EXPECT_FALSE(engine_->BeginFrame(overflowing_port, kBackground));
  EXPECT_FALSE(engine_->BeginFrame(huge_port, kBackground));
  ON_Viewport too_wide = ParallelView(9000, 10); // beyond the offscreen buffer's limit
  EXPECT_FALSE(engine_->BeginFrame(too_wide, kBackground));
  engine_->DrawPoint({0, 0, 0}, kBackground, 3);
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kMark));
}

TEST_F(Projection, NoFrameMeansNoPixels) {
  ON_Color c;
  EXPECT_FALSE(engine_->FramePixel(0, 0, c));
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(), kBackground));
  EXPECT_FALSE(engine_->FramePixel(0, 0, c)); // not finished yet
  engine_->EndFrame();
  EXPECT_TRUE(engine_->FramePixel(0, 0, c));
}

TEST_F(Projection, TwoEnginesDrawIndependently) {
  std::unique_ptr<CRhinoDisplayEngine> other = CreateOpenGLDisplayEngine();
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(), kBackground));
  ASSERT_TRUE(other->BeginFrame(ParallelView(80, 60), kMark));
  engine_->DrawPoint({0.05, 0.05, 0}, kMark, 1); // interleaved with the other frame
  other->EndFrame();
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 59), kMark));
  EXPECT_TRUE(Near(Pixel(*engine_, 10, 10), kBackground));
  EXPECT_TRUE(Near(Pixel(*other, 10, 10), kMark));
}

} // namespace
} // namespace enginetest
