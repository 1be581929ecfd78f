#pragma once
// PNG in and out for the window: captures of the whole window, and the
// toolbar's image strips read from the collection file.

#include <string>
#include <vector>

namespace kyrel::window {

// 8-bit RGB rows, top first. Written to a temporary file beside `path` and
// renamed into place; false with the reason in `error`.
bool WritePngFile(const std::string& path, int width, int height,
                  const std::vector<unsigned char>& rgb, std::string& error);
// A PNG held in memory as 8-bit RGBA rows, top first; false for bytes that
// are not a PNG or a picture larger than 16384 pixels a side.
bool DecodePng(const std::string& bytes, int& width, int& height, std::vector<unsigned char>& rgba);

} // namespace kyrel::window
