// Smoothed frames: edges get shades between the colours they separate,
// while the picture keeps the viewport's size and lines their width.

#include "engine_scene.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace enginetest {
namespace {

using test_meshes::Quad;

class Supersampling : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();

  // A red square turned by 30 degrees on black: every edge is slanted.
  void DrawTurnedSquare() {
    ASSERT_TRUE(engine_->BeginFrame(ParallelView(), ON_Color(0, 0, 0)));
    engine_->SetModelTransform(
        ON_Xform::RotationTransformation(ON_PI / 6, ON_3dVector::ZAxis, ON_3dPoint::Origin));
    engine_->DrawShadedMesh(Quad(-4, -4, 4, 4, 0), Flat(ON_Color(255, 0, 0)));
    engine_->EndFrame();
  }
  // Pixels whose red lies strictly between the background and the square.
  int Blended() const {
    int count = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        ON_Color c;
        EXPECT_TRUE(engine_->FramePixel(x, y, c));
        if (c.Red() > 8 && c.Red() < 247) ++count;
      }
    return count;
  }
  // Red summed down column x, in units of a full red pixel.
  double ColumnRed(int x) const {
    double sum = 0;
    for (int y = 0; y < kHeight; ++y) {
      ON_Color c;
      EXPECT_TRUE(engine_->FramePixel(x, y, c));
      sum += c.Red() / 255.0;
    }
    return sum;
  }
};

TEST_F(Supersampling, SlantedEdgesAreShadedOnlyWhenAskedFor) {
  DrawTurnedSquare();
  EXPECT_EQ(Blended(), 0);

  engine_->SetSupersampling(3);
  DrawTurnedSquare();
  ON_Color corner;
  EXPECT_FALSE(engine_->FramePixel(kWidth, kHeight - 1, corner)) << "picture larger than the view";
  EXPECT_TRUE(engine_->FramePixel(kWidth - 1, kHeight - 1, corner));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), ON_Color(255, 0, 0)));
  // The square's outline is some 4 x 80 pixels long; most of it is shaded.
  EXPECT_GT(Blended(), 150);

  engine_->SetSupersampling(1);
  DrawTurnedSquare();
  EXPECT_EQ(Blended(), 0);
}

TEST_F(Supersampling, LinesKeepTheirWidthInPixelsOfThePicture) {
  for (int factor : {1, 3}) {
    engine_->SetSupersampling(factor);
    ASSERT_TRUE(engine_->BeginFrame(ParallelView(), ON_Color(0, 0, 0)));
    engine_->DrawLine({-7, 2.05, 0}, {-1, 2.05, 0}, ON_Color(255, 0, 0), 1, 0xFFFFFFFF);
    engine_->DrawLine({1, 2.05, 0}, {7, 2.05, 0}, ON_Color(255, 0, 0), 3, 0xFFFFFFFF);
    engine_->EndFrame();
    EXPECT_NEAR(ColumnRed(50), 1.0, 0.2) << "factor " << factor;
    EXPECT_NEAR(ColumnRed(110), 3.0, 0.3) << "factor " << factor;
  }
}

TEST_F(Supersampling, AFactorTooLargeForTheContextIsLoweredNotRefused) {
  engine_->SetSupersampling(4);
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(4000, 3000), ON_Color(0, 0, 0)));
  engine_->EndFrame();
  ON_Color c;
  EXPECT_TRUE(engine_->FramePixel(3999, 2999, c));
  EXPECT_FALSE(engine_->FramePixel(4000, 2999, c));
}

} // namespace
} // namespace enginetest
