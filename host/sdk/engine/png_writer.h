#pragma once
// Writing a picture as an 8-bit RGB or RGBA PNG file without ever leaving a partial
// file behind: the data goes to a temporary file in the destination folder
// and is renamed over the destination only once it is complete on disk.

#include "rgb_image.h"

#include <string>
#include <vector>

namespace glengine {

// False with a readable reason in `error` when the picture is empty, the
// folder is missing or not writable, or the disk fills up; the destination
// is then untouched (an existing file keeps its old contents).
bool WriteRgbPng(const std::string& utf8_path, const RgbImage& picture, std::string& error);
// The same for 8-bit RGBA pixels (not premultiplied), top row first,
// `width` * `height` * 4 bytes; for pictures with transparent parts.
bool WriteRgbaPng(const std::string& utf8_path, int width, int height,
                  const std::vector<unsigned char>& rgba, std::string& error);

} // namespace glengine
