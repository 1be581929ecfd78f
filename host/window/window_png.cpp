#include "window_png.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kyrel::window {

bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<unsigned char>& rgb, std::string& error) {
  if (width <= 0 || height <= 0 ||
      rgb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u) {
    error = "no picture to write";
    return false;
  }
  const std::string temporary = path + ".part";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const bool written =
      png_image_write_to_stdio(&image, file, 0, rgb.data(), width * 3, nullptr) != 0;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = written ? std::string("the file could not be finished") : image.message;
    std::remove(temporary.c_str());
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    error = ec.message();
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool DecodePng(const std::string& bytes, int& width, int& height,
               std::vector<unsigned char>& rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return true;
}

} // namespace kyrel::window
