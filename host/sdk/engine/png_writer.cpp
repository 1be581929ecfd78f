#include "png_writer.h"

#include <png.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace glengine {

namespace {

std::string SystemReason(int code) {
  return std::strerror(code);
}

// Opens a new file beside `path` that no one else is using. O_EXCL makes
// the name ours; the mode lets the umask decide the final permissions, as
// for any ordinary file the user saves.
int OpenTemporaryBeside(const std::string& path, std::string& temp_path, int& last_errno) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 16; ++attempt) {
    temp_path = path + ".tmp" + std::to_string(static_cast<long>(getpid())) + "_" +
                std::to_string(counter.fetch_add(1));
    const int fd = open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    last_errno = errno;
    if (last_errno != EEXIST) return -1;
  }
  return -1;
}

// libpng's simplified interface reports failures through the image record,
// so no longjmp crosses our frames. `format` is PNG_FORMAT_RGB or _RGBA.
bool EncodeTo(FILE* file, int width, int height, unsigned format, int channels,
              const unsigned char* pixels, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = format;
  const int ok = png_image_write_to_stdio(&image, file, 0, pixels,
                                          static_cast<png_int_32>(width * channels), nullptr);
  if (!ok) {
    error = std::string("the PNG encoder failed: ") + image.message;
    png_image_free(&image);
    return false;
  }
  png_image_free(&image);
  return true;
}

bool WritePng(const std::string& utf8_path, int width, int height, unsigned format, int channels,
              const unsigned char* pixels, std::string& error) {
  if (utf8_path.empty()) {
    error = "no file name was given";
    return false;
  }
  struct stat existing {};
  if (stat(utf8_path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    error = "cannot write '" + utf8_path + "': it is a folder";
    return false;
  }

  std::string temp_path;
  int open_errno = 0;
  const int fd = OpenTemporaryBeside(utf8_path, temp_path, open_errno);
  if (fd < 0) {
    error = "cannot create a file beside '" + utf8_path + "': " + SystemReason(open_errno);
    return false;
  }
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    const int code = errno;
    close(fd);
    unlink(temp_path.c_str());
    error = "cannot write '" + utf8_path + "': " + SystemReason(code);
    return false;
  }

  bool written = EncodeTo(file, width, height, format, channels, pixels, error);
  if (written && (std::fflush(file) != 0 || fsync(fileno(file)) != 0)) {
    error = "cannot write '" + utf8_path + "': " + SystemReason(errno);
    written = false;
  }
  if (std::fclose(file) != 0 && written) {
    error = "cannot write '" + utf8_path + "': " + SystemReason(errno);
    written = false;
  }
  if (!written) {
    unlink(temp_path.c_str());
    return false;
  }
  if (std::rename(temp_path.c_str(), utf8_path.c_str()) != 0) {
    const int code = errno;
    unlink(temp_path.c_str());
    error = "cannot replace '" + utf8_path + "': " + SystemReason(code);
    return false;
  }
  return true;
}

} // namespace

bool WriteRgbPng(const std::string& utf8_path, const RgbImage& picture, std::string& error) {
  error.clear();
  if (picture.Empty() || picture.rgb.size() != static_cast<std::size_t>(picture.width) *
                                                   static_cast<std::size_t>(picture.height) * 3u) {
    error = "there is no finished picture to write";
    return false;
  }
  return WritePng(utf8_path, picture.width, picture.height, PNG_FORMAT_RGB, 3, picture.rgb.data(),
                  error);
}

bool WriteRgbaPng(const std::string& utf8_path, int width, int height,
                  const std::vector<unsigned char>& rgba, std::string& error) {
  error.clear();
  if (width <= 0 || height <= 0 ||
      rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u) {
    error = "there is no finished picture to write";
    return false;
  }
  return WritePng(utf8_path, width, height, PNG_FORMAT_RGBA, 4, rgba.data(), error);
}

} // namespace glengine
