// Build step: draws the toolbar's three image strips and writes the
// toolbar collection from its template with the strips inside.
//
//   make_toolbar <template> <collection> <image folder>
//
// Writes <image folder>/Kyrel_16.png, _24 and _32 (250 cells each) and the
// collection as UTF-8 with a byte-order mark, the template's @SMALL_STRIP@,
// @NORMAL_STRIP@ and @LARGE_STRIP@ replaced by the base64 of the strips.
// Every file is written beside its destination and renamed into place, so
// an interrupted build never leaves a half-written collection to embed.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "base64.h"
#include "engine/png_writer.h"
#include "toolbar_icons.h"

namespace {

constexpr int kCells = 250;

bool ReadAll(const std::filesystem::path& path, std::string& contents) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  contents = text.str();
  return static_cast<bool>(in) || in.eof();
}

bool Replace(std::string& text, const std::string& placeholder, const std::string& value) {
  const std::size_t at = text.find(placeholder);
  if (at == std::string::npos) return false;
  text.replace(at, placeholder.size(), value);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: make_toolbar <template> <collection> <image folder>\n";
    return 2;
  }
  const std::filesystem::path template_path = argv[1], collection_path = argv[2],
                              image_folder = argv[3];
  std::string collection;
  if (!ReadAll(template_path, collection)) {
    std::cerr << "make_toolbar: cannot read " << template_path << "\n";
    return 1;
  }
  // A template saved with a byte-order mark must not end up with two.
  if (collection.rfind("\xEF\xBB\xBF", 0) == 0) collection.erase(0, 3);
  std::error_code ec;
  std::filesystem::create_directories(image_folder, ec);

  const struct {
    int size;
    const char* placeholder;
  } strips[] = {{16, "@SMALL_STRIP@"}, {24, "@NORMAL_STRIP@"}, {32, "@LARGE_STRIP@"}};
  for (const auto& strip : strips) {
    const std::filesystem::path png =
        image_folder / ("Kyrel_" + std::to_string(strip.size) + ".png");
    std::string error, bytes;
    if (!glengine::WriteRgbaPng(png.string(), strip.size * kCells, strip.size,
                                kyrel_toolbar::DrawStrip(strip.size, kCells), error) ||
        !ReadAll(png, bytes)) {
      std::cerr << "make_toolbar: " << (error.empty() ? "cannot read back " + png.string() : error)
                << "\n";
      return 1;
    }
    if (!Replace(collection, strip.placeholder,
                 kyrel::platform::Base64(bytes.data(), bytes.size()))) {
      std::cerr << "make_toolbar: the template has no " << strip.placeholder << "\n";
      return 1;
    }
  }

  const std::filesystem::path temp = collection_path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << "\xEF\xBB\xBF" << collection;
    out.close();
    if (!out) {
      std::cerr << "make_toolbar: cannot write " << temp << "\n";
      std::filesystem::remove(temp, ec);
      return 1;
    }
  }
  std::filesystem::rename(temp, collection_path, ec);
  if (ec) {
    std::cerr << "make_toolbar: cannot replace " << collection_path << ": " << ec.message() << "\n";
    std::filesystem::remove(temp, ec);
    return 1;
  }
  return 0;
}
