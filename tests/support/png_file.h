#pragma once
// Pictures read back with libpng, independently of the writers under test.

#include <png.h>

#include <string>
#include <vector>

namespace test_png {

struct RgbImage {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb; // rows top first, three bytes a pixel
};

inline bool ReadPng(const std::string& path, RgbImage& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
  const bool ok = png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

} // namespace test_png
