// Lines (thickness, 32-bit patterns, z-bias), mesh wires and points.
//
// In the standard parallel view the horizontal world line y = 0.05 runs
// along the centres of picture row 59, and x = -7 is the left edge of
// pixel column 10, so the n-th pixel of a line starting there is column
// 10 + n and shows pattern bit n mod 32.

#include "engine_scene.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

namespace enginetest {
namespace {

using test_meshes::Quad;

const ON_Color kBackground(0, 0, 0);
const ON_Color kWhite(255, 255, 255);
const ON_Color kGreen(0, 255, 0);
const ON_Color kRed(255, 0, 0);
constexpr unsigned int kDashed = 0x0C3F; // 6 on, 4 off, 2 on, 20 off

class Lines : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();

  void Begin(const ON_Viewport& vp = ParallelView()) {
    ASSERT_TRUE(engine_->BeginFrame(vp, kBackground));
  }
  // Row 59 from column 10 to 149: the span of the line from x=-7 to x=7.
  std::vector<bool> LineRow(ON_Color color) { return RowMask(*engine_, 59, 10, 149, color); }
};

// Checks that the runs of a pattern-drawn line repeat 6 on, 4 off, 2 on,
// 20 off, starting at the line's first pixel.
void ExpectDashedRuns(const std::vector<bool>& mask) {
  for (std::size_t n = 0; n < mask.size(); ++n) {
    const bool expected = ((kDashed >> (n % 32)) & 1u) != 0;
    ASSERT_EQ(mask[n], expected) << "pixel " << n << " along the line";
  }
}

TEST_F(Lines, SolidLineHasNoGaps) {
  for (unsigned int solid : {0u, 0xFFFFFFFFu}) {
    Begin();
    engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kWhite, 1, solid);
    engine_->EndFrame();
    const std::vector<bool> row = LineRow(kWhite);
    EXPECT_EQ(std::count(row.begin(), row.end(), true), static_cast<long>(row.size()))
        << "pattern " << std::hex << solid;
    EXPECT_TRUE(Near(Pixel(*engine_, 80, 57), kBackground));
    EXPECT_TRUE(Near(Pixel(*engine_, 80, 61), kBackground));
  }
}

TEST_F(Lines, DashedPatternRepeatsAllThirtyTwoBitsAlongTheLine) {
  Begin();
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kWhite, 1, kDashed);
  engine_->EndFrame();
  ExpectDashedRuns(LineRow(kWhite));
}

TEST_F(Lines, PatternRunsTheSameWayAlongVerticalLines) {
  // x = 0.05 runs along the centres of column 80; y = 5 is the top edge
  // of row 10, and the line runs downward from there.
  Begin();
  engine_->DrawLine({0.05, 5, 0}, {0.05, -5, 0}, kWhite, 1, kDashed);
  engine_->EndFrame();
  ExpectDashedRuns(ColumnMask(*engine_, 80, 10, 109, kWhite));
}

TEST_F(Lines, PatternSpacingStaysEvenInPerspective) {
  // A line running away from the camera: its far half is squeezed on
  // screen, but dashes are counted in pixels, so every run keeps its
  // length. The frustum is shifted a quarter pixel so that eye y = 0 lies
  // on the centres of row 59.
  ON_Viewport vp = PerspectiveView();
  vp.SetFrustum(-0.4, 0.4, -0.3025, 0.2975, 1.0, 100.0);
  Begin(vp);
  engine_->DrawLine({-4, 0, 0}, {4, 0, -30}, kWhite, 1, kDashed);
  engine_->EndFrame();
  // Screen x runs from 0 (x=-4 at distance 10) to 100 (x=4 at distance 40).
  std::vector<bool> values;
  const std::vector<int> runs = RunLengths(RowMask(*engine_, 59, 0, 99, kWhite), &values);
  ASSERT_GE(runs.size(), 8u);
  const int expected_on[2] = {6, 2};
  const int expected_off[2] = {4, 20};
  int on_index = 0, off_index = 0;
  // The first run starts at the first pixel; the last one is cut short.
  for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
    if (values[i]) {
      EXPECT_NEAR(runs[i], expected_on[on_index++ % 2], 1) << "run " << i;
    } else {
      EXPECT_NEAR(runs[i], expected_off[off_index++ % 2], 1) << "run " << i;
    }
  }
}

TEST_F(Lines, PatternRunsOnAcrossThePointsOfAPolyline) {
  // 47 segments of 3 pixels each along row 59: dashed exactly like one line,
  // where restarting at each point would draw every segment solid.
  std::vector<ON_3dPoint> points;
  for (int i = 0; i <= 47; ++i)
    points.emplace_back(-7 + 0.3 * i, 0.05, 0);
  Begin();
  engine_->DrawPolyline(points.data(), static_cast<int>(points.size()), kWhite, 1, kDashed);
  engine_->EndFrame();
  ExpectDashedRuns(RowMask(*engine_, 59, 10, 150, kWhite));
}

TEST_F(Lines, PatternTurnsCornersOfAPolyline) {
  // 20.5 pixels along row 59 to the centre of column 30, then down that
  // column: row 59 + k lies k pixels further on, so it shows bit
  // (20 + k) mod 32 of the pattern instead of starting over at bit 0.
  const ON_3dPoint points[3] = {{-7, 0.05, 0}, {-4.95, 0.05, 0}, {-4.95, -5, 0}};
  Begin();
  engine_->DrawPolyline(points, 3, kWhite, 1, kDashed);
  engine_->EndFrame();
  const std::vector<bool> across = RowMask(*engine_, 59, 10, 29, kWhite);
  for (std::size_t n = 0; n < across.size(); ++n)
    EXPECT_EQ(across[n], ((kDashed >> n) & 1u) != 0) << "pixel " << n;
  const std::vector<bool> down = ColumnMask(*engine_, 30, 60, 105, kWhite);
  for (std::size_t k = 1; k <= down.size(); ++k)
    EXPECT_EQ(down[k - 1], ((kDashed >> ((20 + k) % 32)) & 1u) != 0) << "row " << 59 + k;
}

TEST_F(Lines, SolidPolylineSkipsOnlyTheSegmentsOfABadPoint) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ON_3dPoint points[5] = {
      {-7, 0.05, 0}, {-3, 0.05, 0}, {nan, 0, 0}, {3, 0.05, 0}, {7, 0.05, 0}};
  Begin();
  engine_->DrawPolyline(points, 5, kWhite, 1, 0);
  engine_->DrawPolyline(nullptr, 5, kWhite, 1, 0);
  engine_->DrawPolyline(points, 1, kWhite, 1, 0);
  engine_->EndFrame();
  EXPECT_TRUE(Near(Pixel(*engine_, 20, 59), kWhite));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 59), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 140, 59), kWhite));
}

TEST_F(Lines, ThicknessThreeCoversThreeRows) {
  Begin();
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kWhite, 3, 0);
  engine_->EndFrame();
  for (int y = 58; y <= 60; ++y)
    EXPECT_TRUE(Near(Pixel(*engine_, 80, y), kWhite)) << "row " << y;
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 57), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 61), kBackground));
}

TEST_F(Lines, ThickDashedLineKeepsItsGaps) {
  Begin();
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kWhite, 3, kDashed);
  engine_->EndFrame();
  for (int y = 58; y <= 60; ++y) {
    const std::vector<bool> row = RowMask(*engine_, y, 10, 149, kWhite);
    EXPECT_TRUE(row[0] && row[5]) << "row " << y;
    EXPECT_FALSE(row[6] || row[9] || row[12] || row[31]) << "row " << y;
  }
}

class ZBias : public Lines {
protected:
  // A lit grey face in the plane z = 0 and a line lying in it.
  void DrawFaceAndLine(int zbias, double line_z = 0.0) {
    Begin();
    engine_->DrawShadedMesh(Quad(-6, -4, 6, 4, 0), Lit(ON_Color(128, 128, 128)));
    engine_->SetZBias(zbias);
    engine_->DrawLine({-5, 0.05, line_z}, {5, 0.05, line_z}, kGreen, 1, 0);
    engine_->SetZBias(0);
    engine_->EndFrame();
  }
  int GreenPixelsOnRow() {
    const std::vector<bool> row = RowMask(*engine_, 59, 35, 124, kGreen);
    return static_cast<int>(std::count(row.begin(), row.end(), true));
  }
};

TEST_F(ZBias, LineOnACoplanarFaceIsDrawnOverItTowardTheViewer) {
  DrawFaceAndLine(1);
  EXPECT_EQ(GreenPixelsOnRow(), 90);
}

TEST_F(ZBias, LineOnACoplanarFaceSinksBehindItAwayFromTheViewer) {
  DrawFaceAndLine(-1);
  EXPECT_EQ(GreenPixelsOnRow(), 0);
}

TEST_F(ZBias, BiasDoesNotPullALineThroughAFaceInFrontOfIt) {
  DrawFaceAndLine(1, -0.5);
  EXPECT_EQ(GreenPixelsOnRow(), 0);
}

TEST_F(ZBias, LineOnASteeplyTiltedFaceStaysVisible) {
  // Seen almost edge-on the face's depth changes fast across a pixel.
  ON_Viewport vp = ParallelView();
  vp.SetCameraLocation(ON_3dPoint(0, -50, 3));
  vp.SetCameraDirection(ON_3dVector(0, 1, -0.06));
  vp.SetCameraUp(ON_3dVector(0, 0, 1));
  Begin(vp);
  engine_->DrawShadedMesh(Quad(-6, -20, 6, 20, 0), Lit(ON_Color(128, 128, 128)));
  engine_->SetZBias(1);
  engine_->DrawLine({-5, -10, 0}, {5, 10, 0}, kGreen, 1, 0);
  engine_->EndFrame();
  int green = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      green += Near(Pixel(*engine_, x, y), kGreen) ? 1 : 0;
  EXPECT_GE(green, 90); // the line spans about 100 columns
}

TEST_F(Lines, MeshWiresOutlineEveryFace) {
  // Two quads side by side: wires on the outline and on the shared edge,
  // nothing across the faces' interiors (no triangle diagonals).
  ON_Mesh mesh = Quad(-6, -4, 0, 4, 0);
  mesh.m_V.Append(ON_3fPoint(6, -4, 0));
  mesh.m_V.Append(ON_3fPoint(6, 4, 0));
  ON_MeshFace f;
  f.vi[0] = 1;
  f.vi[1] = 4;
  f.vi[2] = 5;
  f.vi[3] = 2;
  mesh.m_F.Append(f);
  Begin();
  engine_->DrawMeshWires(mesh, kWhite, 0);
  engine_->EndFrame();
  // The vertical edges x = -6, 0 and 6 cross row 60 at columns 20, 80, 140.
  const std::vector<bool> row = RowMask(*engine_, 60, 0, 159, kWhite);
  EXPECT_EQ(std::count(row.begin(), row.end(), true), 3);
  EXPECT_TRUE(row[80] || row[79]);
  // The horizontal edge y = 4 is drawn from one end to the other.
  const int top_row = 20;
  const std::vector<bool> top_a = RowMask(*engine_, top_row, 25, 135, kWhite);
  const std::vector<bool> top_b = RowMask(*engine_, top_row - 1, 25, 135, kWhite);
  bool whole = true;
  for (std::size_t i = 0; i < top_a.size(); ++i)
    whole = whole && (top_a[i] || top_b[i]);
  EXPECT_TRUE(whole);
}

TEST_F(Lines, MeshWiresShowOnTopOfTheirOwnShadedMesh) {
  const ON_Mesh mesh = Quad(-6.05, -4.05, 6.05, 4.05, 0);
  Begin();
  engine_->DrawShadedMesh(mesh, Lit(ON_Color(128, 128, 128)));
  engine_->DrawMeshWires(mesh, kRed, 1);
  engine_->EndFrame();
  // Left edge x = -6.05 runs along the centres of column 19.
  const std::vector<bool> column = ColumnMask(*engine_, 19, 25, 95, kRed);
  EXPECT_EQ(std::count(column.begin(), column.end(), true), static_cast<long>(column.size()));
}

TEST_F(Lines, LinesAndPointsOutsideAFrameOrWithBadCoordinatesDrawNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, 0}, kWhite, 1, 0); // before any frame
  Begin();
  engine_->DrawLine({nan, 0, 0}, {7, 0.05, 0}, kWhite, 1, kDashed);
  engine_->DrawLine({-7, 0.05, 0}, {7, 0.05, std::numeric_limits<double>::infinity()}, kWhite, 1,
                    0);
  engine_->DrawPoint({nan, nan, nan}, kWhite, 5);
  engine_->EndFrame();
  engine_->DrawPoint({0, 0, 0}, kWhite, 5); // after the frame
  const std::vector<bool> row = LineRow(kWhite);
  EXPECT_EQ(std::count(row.begin(), row.end(), true), 0);
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 60), kBackground));
}

TEST_F(Lines, PointCoversASquareOfItsSize) {
  // (0.05, 0.05) is the centre of pixel (80, 59).
  Begin();
  engine_->DrawPoint({0.05, 0.05, 0}, kGreen, 3);
  engine_->EndFrame();
  for (int y = 58; y <= 60; ++y)
    for (int x = 79; x <= 81; ++x)
      EXPECT_TRUE(Near(Pixel(*engine_, x, y), kGreen)) << x << "," << y;
  EXPECT_TRUE(Near(Pixel(*engine_, 82, 59), kBackground));
  EXPECT_TRUE(Near(Pixel(*engine_, 80, 61), kBackground));
}

} // namespace
} // namespace enginetest
