// Reads a view capture kyrel wrote and tells what is drawn where a model
// point lands. The camera is rebuilt here the way kyrel's "SetView _Top"
// followed by "Zoom _Selected" leaves it, through the same host classes.
#pragma once


#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "rhinoSdk.h"
#include "support/png_file.h"

namespace kyrel_test {

struct Rgb {
  int r = 0, g = 0, b = 0;
  int Brightness() const { return r + g + b; }
  // The largest difference in any channel.
  int DistanceTo(const Rgb& o) const {
    return std::max({std::abs(r - o.r), std::abs(g - o.g), std::abs(b - o.b)});
  }
};

class Capture {
public:
  bool Read(const std::string& path) {
    test_png::RgbImage image;
    const bool ok = test_png::ReadPng(path, image);
    m_rgb = std::move(image.rgb);
    m_width = image.width;
    m_height = image.height;
    return ok;
  }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  Rgb At(int x, int y) const {
    x = std::clamp(x, 0, m_width - 1);
    y = std::clamp(y, 0, m_height - 1);
    const unsigned char* p = &m_rgb[(static_cast<std::size_t>(y) * m_width + x) * 3];
    return Rgb{p[0], p[1], p[2]};
  }
  // The colour in the middle of a 3x3 block, so an edge line passing by
  // one pixel off does not decide a probe.
  Rgb Median(int x, int y) const {
    std::vector<int> r, g, b;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const Rgb c = At(x + dx, y + dy);
        r.push_back(c.r), g.push_back(c.g), b.push_back(c.b);
      }
    auto mid = [](std::vector<int>& v) {
      std::nth_element(v.begin(), v.begin() + 4, v.end());
      return v[4];
    };
    return Rgb{mid(r), mid(g), mid(b)};
  }
  Rgb Background() const { return At(1, 1); }

private:
  int m_width = 0, m_height = 0;
  std::vector<unsigned char> m_rgb;
};

// The top view of a kyrel window of the default size, zoomed to `box`.
class TopView {
public:
  TopView(const ON_BoundingBox& box, int width = 640, int height = 480) {
    m_viewport.SetScreenSize(width, height);
    ON_Viewport vp = m_viewport.VP();
    vp.SetCameraDirection(ON_3dVector(0, 0, -1));
    vp.SetCameraUp(ON_3dVector(0, 1, 0));
    m_viewport.SetVP(vp, true);
    m_viewport.ZoomExtents(box);
  }
  // Where `world` lands, in pixels from the top left corner.
  ON_3dPoint Pixel(const ON_3dPoint& world) const {
    ON_3dPoint screen(-1000, -1000, 0);
    m_viewport.VP().GetScreenCoordinates(world, screen);
    return screen;
  }
  // The colour of `capture` where `world` lands.
  Rgb Probe(const Capture& capture, const ON_3dPoint& world) const {
    const ON_3dPoint screen = Pixel(world);
    return capture.Median(static_cast<int>(std::lround(screen.x)),
                          static_cast<int>(std::lround(screen.y)));
  }

private:
  CRhinoViewport m_viewport;
};

} // namespace kyrel_test
