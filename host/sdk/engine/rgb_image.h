#pragma once
// A finished picture as the engine hands it out: 8-bit RGB, top row first,
// rows packed without padding. Plain value type, owns its pixels.

#include <cstddef>
#include <vector>

namespace glengine {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb; // width * height * 3 bytes

  bool Empty() const { return width <= 0 || height <= 0 || rgb.empty(); }

  // False outside the picture; x right, y down from the top-left corner.
  bool Pixel(int x, int y, unsigned char& r, unsigned char& g, unsigned char& b) const {
    if (Empty() || x < 0 || y < 0 || x >= width || y >= height) return false;
    const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(x)) *
                           3u;
    r = rgb[at];
    g = rgb[at + 1];
    b = rgb[at + 2];
    return true;
  }
};

} // namespace glengine
