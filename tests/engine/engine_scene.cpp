#include "engine_scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace enginetest {

ON_Viewport ParallelView(int width, int height) {
  ON_Viewport vp;
  vp.SetProjection(ON::parallel_view);
  vp.SetCameraLocation(ON_3dPoint(0.0, 0.0, 50.0));
  vp.SetCameraDirection(ON_3dVector(0.0, 0.0, -1.0));
  vp.SetCameraUp(ON_3dVector(0.0, 1.0, 0.0));
  vp.SetScreenPort(0, width, height, 0);
  vp.SetFrustum(-8.0, 8.0, -6.0, 6.0, 1.0, 100.0);
  return vp;
}

ON_Viewport PerspectiveView() {
  ON_Viewport vp;
  vp.SetProjection(ON::perspective_view);
  vp.SetCameraLocation(ON_3dPoint(0.0, 0.0, 10.0));
  vp.SetCameraDirection(ON_3dVector(0.0, 0.0, -1.0));
  vp.SetCameraUp(ON_3dVector(0.0, 1.0, 0.0));
  vp.SetScreenPort(0, kWidth, kHeight, 0);
  vp.SetFrustum(-0.4, 0.4, -0.3, 0.3, 1.0, 100.0);
  return vp;
}

CDisplayEngineMaterial Flat(ON_Color color, double transparency) {
  CDisplayEngineMaterial m;
  m.m_diffuse = color;
  m.m_transparency = transparency;
  m.m_bLighting = false;
  return m;
}

CDisplayEngineMaterial Lit(ON_Color color) {
  CDisplayEngineMaterial m;
  m.m_diffuse = color;
  return m;
}

ON_Color Pixel(const CRhinoDisplayEngine& engine, int x, int y) {
  ON_Color c;
  EXPECT_TRUE(engine.FramePixel(x, y, c)) << "pixel " << x << "," << y << " is outside the frame";
  return c;
}

bool Near(ON_Color a, ON_Color b, int tolerance) {
  return std::abs(a.Red() - b.Red()) <= tolerance && std::abs(a.Green() - b.Green()) <= tolerance &&
         std::abs(a.Blue() - b.Blue()) <= tolerance;
}

bool IsLitRed(ON_Color c) {
  return c.Red() >= 120 && c.Green() * 2 < c.Red() && c.Blue() * 2 < c.Red();
}

std::vector<bool> RowMask(const CRhinoDisplayEngine& engine, int y, int x0, int x1,
                          ON_Color color) {
  std::vector<bool> mask;
  for (int x = x0; x <= x1; ++x)
    mask.push_back(Near(Pixel(engine, x, y), color));
  return mask;
}

std::vector<bool> ColumnMask(const CRhinoDisplayEngine& engine, int x, int y0, int y1,
                             ON_Color color) {
  std::vector<bool> mask;
  for (int y = y0; y <= y1; ++y)
    mask.push_back(Near(Pixel(engine, x, y), color));
  return mask;
}

std::vector<int> RunLengths(const std::vector<bool>& mask, std::vector<bool>* values) {
  std::vector<int> runs;
  if (values) values->clear();
  for (std::size_t i = 0; i < mask.size();) {
    std::size_t j = i;
    while (j < mask.size() && mask[j] == mask[i])
      ++j;
    runs.push_back(static_cast<int>(j - i));
    if (values) values->push_back(mask[i]);
    i = j;
  }
  return runs;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "engine_test_XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(path_, ec))
    names.push_back(entry.path().filename().string());
  return names;
}

} // namespace enginetest
