// Shaded meshes: lighting, normals, materials and transparency.

#include "engine_scene.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

namespace enginetest {
namespace {

using test_meshes::Box;
using test_meshes::DownwardQuad;
using test_meshes::Quad;
using test_meshes::Triangle;

const ON_Color kBackground(30, 30, 30);
const ON_Color kRed(255, 0, 0);
const ON_Color kBlue(0, 0, 255);

class ShadedMesh : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();

  void Begin(const ON_Viewport& vp = ParallelView()) {
    ASSERT_TRUE(engine_->BeginFrame(vp, kBackground));
  }
};

TEST_F(ShadedMesh, RedBoxIsLitRedWhereItStandsAndBackgroundElsewhere) {
  // Box from -2 to 2 seen straight on: pixels 60..99 across, rows 40..79.
  Begin();
  engine_->DrawShadedMesh(Box({-2, -2, -2}, {2, 2, 2}), Lit(kRed));
  engine_->EndFrame();
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 80, 60)));
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 61, 41)));
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 98, 78)));
  EXPECT_TRUE(Near(Pixel(*engine_, 58, 60), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 101, 60), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 38), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 5, 5), kBackground));
}

TEST_F(ShadedMesh, FacesSeenAtAnAngleAreStillLitByTheHeadlight) {
  ON_Viewport vp = ParallelView();
  vp.SetCameraLocation(ON_3dPoint(30, 30, 30));
  vp.SetCameraDirection(ON_3dVector(-1, -1, -1));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  Begin(vp);
  engine_->DrawShadedMesh(Box({-2, -2, -2}, {2, 2, 2}), Lit(kRed));
  engine_->EndFrame();
  // The three visible faces meet in the middle; probe one pixel inside each.
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 80, 50))); // top face
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 72, 66))); // one side
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 88, 66))); // the other side
  EXPECT_TRUE(Near(Pixel(*engine_, 5, 5), kBackground));
}

TEST_F(ShadedMesh, GivenVertexNormalsDecideTheShading) {
  // The same quad twice: normals toward the camera, then normals lying in
  // the picture plane, which the headlight cannot light.
  ON_Mesh toward = Quad(-6, -2, -1, 2, 0);
  ON_Mesh sideways = Quad(1, -2, 6, 2, 0);
  for (int i = 0; i < 4; ++i) {
    toward.m_N.Append(ON_3fVector(0, 0, 1));
    sideways.m_N.Append(ON_3fVector(1, 0, 0));
  }
  Begin();
  engine_->DrawShadedMesh(toward, Lit(kRed));
  engine_->DrawShadedMesh(sideways, Lit(kRed));
  engine_->EndFrame();
  const ON_Color lit = Pixel(*engine_, 45, 60);
  const ON_Color dim = Pixel(*engine_, 115, 60);
  EXPECT_TRUE(IsLitRed(lit));
  EXPECT_GT(lit.Red(), dim.Red() + 100);
}

TEST_F(ShadedMesh, FaceNormalsAloneLightEachFaceFlat) {
  ON_Mesh mesh = Quad(-6, -2, 6, 2, 0);
  mesh.m_FN.Append(ON_3fVector(1, 0, 0)); // deliberately not the geometric normal
  Begin();
  engine_->DrawShadedMesh(mesh, Lit(kRed));
  engine_->EndFrame();
  const ON_Color left = Pixel(*engine_, 30, 60);
  const ON_Color right = Pixel(*engine_, 130, 60);
  EXPECT_TRUE(Near(left, right, 1));
  EXPECT_LT(left.Red(), 120); // lit from the side only: ambient
}

TEST_F(ShadedMesh, MissingNormalsAreComputedWithoutChangingTheMesh) {
  const ON_Mesh mesh = Box({-2, -2, -2}, {2, 2, 2});
  Begin();
  engine_->DrawShadedMesh(mesh, Lit(kRed));
  engine_->EndFrame();
  EXPECT_TRUE(IsLitRed(Pixel(*engine_, 80, 60)));
  EXPECT_EQ(mesh.m_N.Count(), 0);
  EXPECT_EQ(mesh.m_FN.Count(), 0);
  EXPECT_EQ(mesh.m_V.Count(), 8);
}

TEST_F(ShadedMesh, BackFacesAreLitFromTheirOwnSide) {
  // A face turned away from the camera is seen from behind; with two-sided
  // lighting it is as bright as one that faces the camera.
  Begin();
  engine_->DrawShadedMesh(Quad(-6, -2, -1, 2, 0), Lit(kRed));
  engine_->DrawShadedMesh(DownwardQuad(1, -2, 6, 2, 0), Lit(kRed));
  engine_->EndFrame();
  const ON_Color front = Pixel(*engine_, 45, 60);
  const ON_Color back = Pixel(*engine_, 115, 60);
  EXPECT_TRUE(IsLitRed(back));
  EXPECT_TRUE(Near(front, back, 2));
}

TEST_F(ShadedMesh, EmissionBrightensAnUnlitFace) {
  ON_Mesh mesh = Quad(-6, -2, 6, 2, 0);
  for (int i = 0; i < 4; ++i)
    mesh.m_N.Append(ON_3fVector(1, 0, 0));
  CDisplayEngineMaterial glowing = Lit(ON_Color(0, 0, 0));
  glowing.m_emission = ON_Color(0, 200, 0);
  Begin();
  engine_->DrawShadedMesh(mesh, glowing);
  engine_->EndFrame();
  const ON_Color c = Pixel(*engine_, 80, 60);
  EXPECT_GE(c.Green(), 190);
  EXPECT_LE(c.Red(), 20);
}

TEST_F(ShadedMesh, UnlitMaterialDrawsItsExactDiffuseColour) {
  Begin();
  engine_->DrawShadedMesh(Box({-2, -2, -2}, {2, 2, 2}), Flat(ON_Color(10, 200, 90)));
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), ON_Color(10, 200, 90), 1));
}

TEST_F(ShadedMesh, QuadsAreFilledCompletelyAndTrianglesOnlyOnTheirSide) {
  Begin();
  engine_->DrawShadedMesh(Quad(-6, -4, -1, 4, 0), Flat(kRed));
  // Right triangle with its hypotenuse from (1,-4) to (6,4).
  engine_->DrawShadedMesh(Triangle({1, -4, 0}, {6, -4, 0}, {6, 4, 0}), Flat(kBlue));
  engine_->EndFrame();
  // Both halves of the quad (split along a diagonal) are drawn.
  EXPECT_TRUE(Near(Pixel(*engine_, 22, 22), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 68, 97), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 135, 95), kBlue));      // below the hypotenuse
  EXPECT_TRUE(Near(Pixel(*engine_, 95, 25), kBackground)); // above it
}

TEST_F(ShadedMesh, GhostedMeshBlendsWithWhatIsBehindIt) {
  Begin();
  engine_->DrawShadedMesh(Quad(-6, -4, 6, 4, -5), Flat(kBlue));
  engine_->DrawShadedMesh(Quad(-3, -2, 3, 2, 0), Flat(kRed, 0.5));
  engine_->EndFrame();
  const ON_Color mixed = Pixel(*engine_, 80, 60);
  EXPECT_NEAR(mixed.Red(), 128, 3);
  EXPECT_NEAR(mixed.Blue(), 128, 3);
  EXPECT_TRUE(Near(Pixel(*engine_, 30, 60), kBlue)); // blue alone outside the ghost
}

TEST_F(ShadedMesh, GhostedMeshDoesNotHideWhatIsDrawnBehindItLater) {
  Begin();
  engine_->DrawShadedMesh(Quad(-3, -2, 3, 2, 0), Flat(kRed, 0.5));
  engine_->DrawShadedMesh(Quad(-6, -4, 6, 4, -5), Flat(kBlue));
  engine_->EndFrame();
  // No depth was written by the ghost, so the later mesh behind it shows.
  EXPECT_GE(Pixel(*engine_, 80, 60).Blue(), 125);
}

TEST_F(ShadedMesh, FullyTransparentMeshLeavesNoTrace) {
  Begin();
  engine_->DrawShadedMesh(Quad(-3, -2, 3, 2, 0), Flat(kRed, 1.0));
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kBackground));
}

TEST_F(ShadedMesh, NearerOpaqueMeshHidesAFartherOneWhateverTheOrder) {
  Begin();
  engine_->DrawShadedMesh(Quad(-3, -2, 3, 2, 1), Flat(kRed));
  engine_->DrawShadedMesh(Quad(-6, -4, 6, 4, -1), Flat(kBlue));
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 30, 60), kBlue));
}

TEST_F(ShadedMesh, FacesWithIndicesOutsideTheVertexArrayAreSkipped) {
  ON_Mesh mesh = Quad(-6, -2, -1, 2, 0);
  ON_MeshFace bad;
  bad.vi[0] = 0;
  bad.vi[1] = 1;
  bad.vi[2] = 99;
  bad.vi[3] = -3;
  mesh.m_F.Append(bad);
  ON_Mesh only_bad;
  only_bad.m_V.Append(ON_3fPoint(0, 0, 0));
  only_bad.m_F.Append(bad);
  Begin();
  engine_->DrawShadedMesh(mesh, Flat(kRed));
  engine_->DrawShadedMesh(only_bad, Flat(kBlue));
  engine_->DrawShadedMesh(ON_Mesh(), Flat(kBlue));
  engine_->DrawMeshWires(only_bad, kBlue, 1);
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 45, 60), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 120, 60), kBackground));
}

TEST_F(ShadedMesh, ModelTransformMovesTheMeshAndResetsWithTheNextFrame) {
  Begin();
  engine_->SetModelTransform(ON_Xform::TranslationTransformation(ON_3dVector(4, 0, 0)));
  engine_->DrawShadedMesh(Quad(-1, -1, 1, 1, 0), Flat(kRed));
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 120, 60), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kBackground));

  Begin();
  engine_->DrawShadedMesh(Quad(-1, -1, 1, 1, 0), Flat(kRed));
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kRed));
  EXPECT_TRUE(Near(Pixel(*engine_, 120, 60), kBackground));
}

TEST_F(ShadedMesh, NonFiniteModelTransformDrawsNothing) {
  ON_Xform broken = ON_Xform::IdentityTransformation;
  broken.m_xform[0][3] = std::numeric_limits<double>::quiet_NaN();
  Begin();
  engine_->SetModelTransform(broken);
  engine_->DrawShadedMesh(Quad(-6, -4, 6, 4, 0), Flat(kRed));
  engine_->DrawLine({-5, 0, 0}, {5, 0, 0}, kRed, 1, 0);
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kBackground));
}

} // namespace
} // namespace enginetest
