// Saving the last frame as PNG: what is written, and what happens when
// writing fails.

#include "engine_scene.h"
#include "support/png_file.h"
#include "support/test_meshes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace enginetest {
namespace {

using test_meshes::Box;
using test_meshes::Quad;

using DecodedPng = test_png::RgbImage;
using test_png::ReadPng;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PngCapture : public ::testing::Test {
protected:
  std::unique_ptr<CRhinoDisplayEngine> engine_ = CreateOpenGLDisplayEngine();
  TempFolder folder_;

  // A picture with distinct corners, so a flipped or shifted file shows.
  void RenderScene() {
    ASSERT_TRUE(engine_->BeginFrame(ParallelView(), ON_Color(10, 20, 30)));
    engine_->DrawShadedMesh(Quad(-8, 3, -4, 6, 0), Flat(ON_Color(255, 0, 0)));
    engine_->DrawShadedMesh(Quad(4, -6, 8, -3, 0), Flat(ON_Color(0, 0, 255)));
    engine_->DrawShadedMesh(Box({-2, -2, -2}, {2, 2, 2}), Lit(ON_Color(0, 200, 0)));
    engine_->DrawLine({-7, 0.05, 3}, {7, 0.05, 3}, ON_Color(255, 255, 255), 1, 0x0C3F);
    engine_->EndFrame();
  }
};

TEST_F(PngCapture, FileHoldsExactlyTheFramePixelsTopRowFirst) {
  ASSERT_FALSE(folder_.Path().empty());
  RenderScene();
  const std::string path = folder_.Path() + "/view.png";
  std::string error;
  ASSERT_TRUE(engine_->SaveFrameToPng(path, error)) << error;
  EXPECT_TRUE(error.empty());

  DecodedPng png;
  ASSERT_TRUE(ReadPng(path, png));
  ASSERT_EQ(png.width, kWidth);
  ASSERT_EQ(png.height, kHeight);
  int mismatches = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const ON_Color c = Pixel(*engine_, x, y);
      const unsigned char* p = &png.rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      if (p[0] != c.Red() || p[1] != c.Green() || p[2] != c.Blue()) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The red quad is at the top left of the picture, the blue one at the
  // bottom right.
  EXPECT_EQ(png.rgb[(5 * kWidth + 5) * 3 + 0], 255);
  EXPECT_EQ(png.rgb[(114 * kWidth + 154) * 3 + 2], 255);
  // Nothing but the picture is left in the folder.
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"view.png"});
}

TEST_F(PngCapture, SavingAgainReplacesTheFile) {
  RenderScene();
  const std::string path = folder_.Path() + "/view.png";
  std::string error;
  ASSERT_TRUE(engine_->SaveFrameToPng(path, error)) << error;

  ASSERT_TRUE(engine_->BeginFrame(ParallelView(32, 24), ON_Color(255, 255, 0)));
  engine_->EndFrame();
  ASSERT_TRUE(engine_->SaveFrameToPng(path, error)) << error;
  DecodedPng png;
  ASSERT_TRUE(ReadPng(path, png));
  EXPECT_EQ(png.width, 32);
  EXPECT_EQ(png.height, 24);
  EXPECT_EQ(png.rgb[0], 255);
  EXPECT_EQ(png.rgb[2], 0);
}

TEST_F(PngCapture, MissingFolderReportsAnErrorAndWritesNothing) {
  RenderScene();
  const std::string path = folder_.Path() + "/no_such_folder/view.png";
  std::string error;
  EXPECT_FALSE(engine_->SaveFrameToPng(path, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(PngCapture, FailedWriteLeavesAnExistingFileUntouched) {
  // The destination is a folder: it can neither be replaced nor half
  // overwritten, and the files beside it stay as they were.
  RenderScene();
  const std::string path = folder_.Path() + "/taken";
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  {
    std::ofstream keep(path + "/inside.txt");
    keep << "keep me";
  }
  std::string error;
  EXPECT_FALSE(engine_->SaveFrameToPng(path, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ReadBytes(path + "/inside.txt"), "keep me");
  EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"taken"});
}

TEST_F(PngCapture, NothingToSaveBeforeTheFirstFrame) {
  const std::string path = folder_.Path() + "/view.png";
  std::string error;
  EXPECT_FALSE(engine_->SaveFrameToPng(path, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(folder_.Entries().empty());

  std::string empty_name_error;
  RenderScene();
  EXPECT_FALSE(engine_->SaveFrameToPng("", empty_name_error));
  EXPECT_FALSE(empty_name_error.empty());
}

TEST_F(PngCapture, SavedFrameIsTheLastFinishedOne) {
  // A frame that is still being drawn is not what gets saved.
  RenderScene();
  ASSERT_TRUE(engine_->BeginFrame(ParallelView(), ON_Color(255, 255, 255)));
  const std::string path = folder_.Path() + "/view.png";
  std::string error;
  ASSERT_TRUE(engine_->SaveFrameToPng(path, error)) << error;
  engine_->EndFrame();
  DecodedPng png;
  ASSERT_TRUE(ReadPng(path, png));
  EXPECT_EQ(png.rgb[(5 * kWidth + 5) * 3 + 0], 255);
  EXPECT_EQ(png.rgb[(5 * kWidth + 5) * 3 + 1], 0);
}

} // namespace
} // namespace enginetest
