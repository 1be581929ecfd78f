// User clipping planes and face culling.

#include "engine_scene.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

namespace enginetest {
namespace {

using test_meshes::Box;
using test_meshes::DownwardQuad;
using test_meshes::Quad;

const ON_Color kBackground(20, 20, 20);
const ON_Color kRed(255, 0, 0);
const ON_Color kBlue(0, 0, 255);

class Clipping : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();

  void Begin() { ASSERT_TRUE(engine_->BeginFrame(ParallelView(), kBackground)); }
  // Box from -4 to 4 (columns 40..119, rows 20..99), drawn flat red.
  void DrawBox() { engine_->DrawShadedMesh(Box({-4, -4, -4}, {4, 4, 4}), Flat(kRed)); }
  bool Red(int x, int y) { return Near(Pixel(*engine_, x, y), kRed); }
  bool Empty(int x, int y) { return Near(Pixel(*engine_, x, y), kBackground); }
};

ON_SimpleArray<ON_PlaneEquation> Planes(std::initializer_list<ON_PlaneEquation> list) {
  ON_SimpleArray<ON_PlaneEquation> planes;
  for (const ON_PlaneEquation& e : list)
    planes.Append(e);
  return planes;
}

TEST_F(Clipping, PlaneKeepsTheHalfWhereItsValueIsPositive) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 0)})); // keeps x >= 0
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Empty(60, 60));
  EXPECT_TRUE(Red(100, 60));
  EXPECT_TRUE(Red(82, 60));
  EXPECT_TRUE(Empty(77, 60));
}

TEST_F(Clipping, PlaneOffsetComesFromD) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(0, -2, 0, 4)})); // keeps y <= 2
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Empty(80, 30)); // y = 2.95
  EXPECT_TRUE(Red(80, 45));   // y = 1.45
}

TEST_F(Clipping, PlanesStayInWorldCoordinatesUnderAModelTransform) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 0)}));
  // The box moved 2 units left: only its part right of world x = 0 shows.
  engine_->SetModelTransform(ON_Xform::TranslationTransformation(ON_3dVector(-2, 0, 0)));
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Red(85, 60));
  EXPECT_TRUE(Red(99, 60));
  EXPECT_TRUE(Empty(75, 60));
  EXPECT_TRUE(Empty(101, 60));
}

TEST_F(Clipping, PlanesClipLinesAndPointsToo) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 0)}));
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kBlue, 1, 0);
  engine_->DrawPoint({-3, 3, 0}, kBlue, 5);
  engine_->EndFrame();
  EXPECT_TRUE(Empty(40, 59));
  EXPECT_TRUE(Near(Pixel(*engine_, 120, 59), kBlue));
  EXPECT_TRUE(Empty(50, 30));
}

TEST_F(Clipping, AtMostSixPlanesApply) {
  // Six planes that keep the box's middle; a seventh that would remove
  // everything is ignored.
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 3), ON_PlaneEquation(-1, 0, 0, 3),
                                     ON_PlaneEquation(0, 1, 0, 3), ON_PlaneEquation(0, -1, 0, 3),
                                     ON_PlaneEquation(0, 0, 1, 10), ON_PlaneEquation(0, 0, -1, 10),
                                     ON_PlaneEquation(1, 0, 0, -100)}));
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Red(80, 60));
  EXPECT_TRUE(Empty(42, 60));  // x = -3.75, outside the first plane
  EXPECT_TRUE(Empty(117, 60)); // x = 3.75
  EXPECT_TRUE(Empty(80, 22));  // y = 3.75
}

TEST_F(Clipping, ReplacingAndClearingPlanesTakesEffectAtOnce) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 0)}));
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(-1, 0, 0, 0)})); // keeps x <= 0
  engine_->DrawShadedMesh(Box({-4, 0, -1}, {4, 4, 1}), Flat(kRed));
  engine_->SetClippingPlanes(ON_SimpleArray<ON_PlaneEquation>());
  engine_->DrawShadedMesh(Box({-4, -4, -1}, {4, -1, 1}), Flat(kBlue));
  engine_->EndFrame();
  EXPECT_TRUE(Red(60, 45));
  EXPECT_TRUE(Empty(100, 45));
  EXPECT_TRUE(Near(Pixel(*engine_, 60, 90), kBlue));
  EXPECT_TRUE(Near(Pixel(*engine_, 100, 90), kBlue));
}

TEST_F(Clipping, NextFrameStartsWithoutPlanes) {
  Begin();
  engine_->SetClippingPlanes(Planes({ON_PlaneEquation(1, 0, 0, 0)}));
  engine_->EndFrame();
  Begin();
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Red(60, 60));
  EXPECT_TRUE(Red(100, 60));
}

TEST_F(Clipping, NonFinitePlanesAreIgnored) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Begin();
  engine_->SetClippingPlanes(
      Planes({ON_PlaneEquation(nan, 0, 0, 0), ON_PlaneEquation(1, 0, 0, 0)}));
  DrawBox();
  engine_->EndFrame();
  EXPECT_TRUE(Empty(60, 60));
  EXPECT_TRUE(Red(100, 60));
}

class Culling : public Clipping {
protected:
  // Left: a quad facing the camera (red); right: one facing away (blue).
  void DrawFacingPair() {
    engine_->DrawShadedMesh(Quad(-6, -2, -1, 2, 0), Flat(kRed));
    engine_->DrawShadedMesh(DownwardQuad(1, -2, 6, 2, 0), Flat(kBlue));
  }
};

TEST_F(Culling, ModeZeroDrawsBothSides) {
  Begin();
  engine_->SetCullFaceMode(0);
  DrawFacingPair();
  engine_->EndFrame();
  EXPECT_TRUE(Red(45, 60));
  EXPECT_TRUE(Near(Pixel(*engine_, 115, 60), kBlue));
}

TEST_F(Culling, ModeOneHidesBackFaces) {
  Begin();
  engine_->SetCullFaceMode(1);
  DrawFacingPair();
  engine_->EndFrame();
  EXPECT_TRUE(Red(45, 60));
  EXPECT_TRUE(Empty(115, 60));
}

TEST_F(Culling, ModeTwoHidesFrontFaces) {
  Begin();
  engine_->SetCullFaceMode(2);
  DrawFacingPair();
  engine_->EndFrame();
  EXPECT_TRUE(Empty(45, 60));
  EXPECT_TRUE(Near(Pixel(*engine_, 115, 60), kBlue));
}

TEST_F(Culling, ClosedBoxShowsItsInsideThroughAClippingPlaneOnlyWithoutCulling) {
  // Cut open by a plane, a box shows its far inside wall: a back face.
  const auto draw = [this](int mode) {
    Begin();
    engine_->SetClippingPlanes(Planes({ON_PlaneEquation(0, 0, -1, 0)})); // keeps z <= 0
    engine_->SetCullFaceMode(mode);
    DrawBox();
    engine_->EndFrame();
  };
  draw(0);
  EXPECT_TRUE(Red(80, 60));
  draw(1);
  EXPECT_TRUE(Empty(80, 60));
}

TEST_F(Culling, MirroringModelTransformKeepsFrontFacesInFront) {
  // Mirroring about x = 0 turns each quad's corner order around on screen
  // but not the side it faces, so the same quad stays culled or drawn.
  Begin();
  engine_->SetCullFaceMode(1);
  engine_->SetModelTransform(
      ON_Xform::MirrorTransformation(ON_3dPoint(0, 0, 0), ON_3dVector(1, 0, 0)));
  DrawFacingPair();
  engine_->EndFrame();
  EXPECT_TRUE(Red(115, 60)); // the red quad, mirrored to the right
  EXPECT_TRUE(Empty(45, 60));
}

TEST_F(Culling, UnknownModesDrawEverything) {
  Begin();
  engine_->SetCullFaceMode(7);
  DrawFacingPair();
  engine_->EndFrame();
  EXPECT_TRUE(Red(45, 60));
  EXPECT_TRUE(Near(Pixel(*engine_, 115, 60), kBlue));
}

} // namespace
} // namespace enginetest
