#pragma once
// Small scenes for the engine tests: cameras whose pixel mapping is easy to
// work out by hand, and colour checks with a tolerance. The meshes they draw
// come from the shared test meshes.
//
// The standard parallel view looks down -z from (0,0,50) with y up; its
// frustum is 16 x 12 world units on a 160 x 120 picture, so one world unit
// is 10 pixels and the world origin is at window (80, 60). A world point
// (x, y) therefore lands in pixel column floor(80 + 10x) and picture row
// floor(60 - 10y) (rows counted from the top).

#include "engine/opengl_engine.h"

#include <memory>
#include <string>
#include <vector>

namespace enginetest {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

ON_Viewport ParallelView(int width = kWidth, int height = kHeight);
// Perspective from (0,0,10) down -z; frustum at near 1 is 0.8 x 0.6, so at
// distance d one world unit is 200/d pixels.
ON_Viewport PerspectiveView();

CDisplayEngineMaterial Flat(ON_Color color, double transparency = 0.0);
CDisplayEngineMaterial Lit(ON_Color color);

// Pixel of the last frame; fails the test when it is outside the picture.
ON_Color Pixel(const CRhinoDisplayEngine& engine, int x, int y);
bool Near(ON_Color a, ON_Color b, int tolerance = 3);
// Red well above green and blue, and not dark.
bool IsLitRed(ON_Color c);

// True for each pixel of row y (from x0 to x1 inclusive) that is `color`.
std::vector<bool> RowMask(const CRhinoDisplayEngine& engine, int y, int x0, int x1, ON_Color color);
std::vector<bool> ColumnMask(const CRhinoDisplayEngine& engine, int x, int y0, int y1,
                             ON_Color color);
// Lengths of the runs of equal values, in order.
std::vector<int> RunLengths(const std::vector<bool>& mask, std::vector<bool>* values = nullptr);

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  const std::string& Path() const { return path_; }
  std::vector<std::string> Entries() const;

private:
  std::string path_;
};

} // namespace enginetest
