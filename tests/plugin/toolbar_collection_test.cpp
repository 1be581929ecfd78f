// The toolbar collection the plug-in carries, as the host's toolbar manager
// and a user's host read it: its identity, its elements and their links,
// the buttons' scripts, and the three image strips with their icons.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadCollection() {
  std::ifstream in(KYREL_TOOLBAR_COLLECTION, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Base64Decode(const std::string& text) {
  std::string out;
  unsigned buffer = 0;
  int bits = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    else
      continue; // padding and line breaks
    buffer = buffer << 6 | static_cast<unsigned>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((buffer >> bits) & 0xFF);
    }
  }
  return out;
}

struct Strip {
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  // The alpha values of one square cell.
  std::vector<unsigned char> CellAlpha(int cell) const {
    std::vector<unsigned char> alpha;
    for (int y = 0; y < height; ++y)
      for (int x = cell * height; x < (cell + 1) * height; ++x)
        alpha.push_back(rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3]);
    return alpha;
  }
  std::vector<unsigned char> Cell(int cell) const {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
      for (int x = cell * height * 4; x < (cell + 1) * height * 4; ++x)
        pixels.push_back(rgba[static_cast<std::size_t>(y) * width * 4 + x]);
    return pixels;
  }
};

bool DecodePng(const std::string& bytes, Strip& strip) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  strip.width = static_cast<int>(image.width);
  strip.height = static_cast<int>(image.height);
  strip.rgba.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, strip.rgba.data(), 0, nullptr) != 0;
}

class ToolbarCollection : public ::testing::Test {
protected:
  void SetUp() override {
    bytes = ReadCollection();
    ASSERT_GT(bytes.size(), 3u);
    ASSERT_TRUE(
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8));
    root = doc.child("RhinoUI");
    ASSERT_TRUE(root);
  }
  std::string bytes;
  pugi::xml_document doc;
  pugi::xml_node root;
};

TEST_F(ToolbarCollection, IsUtf8WithAByteOrderMarkAndNamesThePlugIn) {
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_STREQ(root.attribute("major_ver").value(), "2");
  EXPECT_STREQ(root.attribute("minor_ver").value(), "0");
  EXPECT_STREQ(root.attribute("plug_in_guid").value(), "97641a3c-772c-4eab-8251-0395f46f9a4c");
  EXPECT_STREQ(root.attribute("localize").value(), "False");
  EXPECT_STREQ(root.attribute("default_language_id").value(), "1033");
  EXPECT_STREQ(root.select_node("extend_rhino_menus/menu/text/locale_1033").node().child_value(),
               "Extend Rhino Menus");
}

TEST_F(ToolbarCollection, EveryElementHasItsOwnGuidAndEveryLinkLeadsSomewhere) {
  std::set<std::string> guids;
  for (const char* kind : {"//RhinoUI", "//menu", "//tool_bar_group", "//tool_bar_group_item",
                           "//tool_bar", "//tool_bar_item", "//macro_item", "//bitmap_item"})
    for (pugi::xpath_node x : doc.select_nodes(kind)) {
      std::string guid = x.node().attribute("guid").value();
      EXPECT_EQ(guid.size(), 36u) << kind << " " << guid;
      EXPECT_TRUE(guids.insert(guid).second) << "used twice: " << guid;
    }
  EXPECT_EQ(guids.size(), 1u + 1 + 1 + 1 + 1 + 5 + 7 + 8);

  std::map<std::string, pugi::xml_node> macros;
  for (pugi::xpath_node x : doc.select_nodes("//macro_item"))
    macros[x.node().attribute("guid").value()] = x.node();
  std::map<std::string, int> cells;
  for (pugi::xpath_node x : doc.select_nodes("//bitmap_item"))
    cells[x.node().attribute("guid").value()] = x.node().attribute("index").as_int(-1);

  pugi::xml_node group_item = root.select_node("//tool_bar_group_item").node();
  pugi::xml_node toolbar = root.select_node("//tool_bar").node();
  EXPECT_EQ(std::string(group_item.child_value("tool_bar_id")), toolbar.attribute("guid").value());
  EXPECT_EQ(cells[toolbar.attribute("bitmap_id").value()], 0);

  // Items in order, their macros' scripts exactly, and the image of each
  // macro in the order of the macros.
  struct Expected {
    const char* item;
    const char* left;
    const char* right;
  };
  const Expected expected[] = {
      {"Kyrel Mirror", "! _kyMirrorPlane", "! _kyMirrorPlane _Enabled _Enter\n"},
      {"Clipping Object", "! _kyClippingobject", "! _kyClippingobject _pause _mode _none"},
      {"ToolBarItem 02", "_ShadedViewport\n_kyInterfere\n", "_kyInterfere\n_WireframeViewport"},
      {nullptr, nullptr, nullptr},
      {"Save", "! _kyExportClippedMeshes", nullptr},
  };
  std::vector<pugi::xml_node> items;
  for (pugi::xml_node item : toolbar.children("tool_bar_item"))
    items.push_back(item);
  ASSERT_EQ(items.size(), 5u);
  int next_cell = 1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const Expected& e = expected[i];
    if (!e.item) {
      EXPECT_STREQ(items[i].attribute("item_type").value(), "spacer");
      continue;
    }
    EXPECT_STREQ(items[i].child("text").child_value("locale_1033"), e.item);
    for (auto [link, script] : {std::pair{"left_macro_id", e.left}, {"right_macro_id", e.right}}) {
      const std::string id = items[i].child_value(link);
      if (!script) {
        EXPECT_TRUE(id.empty()) << e.item;
        continue;
      }
      ASSERT_EQ(macros.count(id), 1u) << e.item << " " << link;
      EXPECT_EQ(std::string(macros[id].child_value("script")), script) << e.item;
      EXPECT_EQ(cells[macros[id].attribute("bitmap_id").value()], next_cell++) << e.item;
    }
  }
  EXPECT_EQ(next_cell, 8);
  pugi::xml_node save = macros[items[4].child_value("left_macro_id")];
  EXPECT_STREQ(save.child("button_text").child_value("locale_1033"), "Meshes");
  EXPECT_STREQ(save.child("tooltip").child_value("locale_1033"), "Export meshes");
  EXPECT_STREQ(items[4].attribute("item_display_style").value(), "control_and_text");
}

TEST_F(ToolbarCollection, StripsHoldEightDistinctIconsAndNothingElse) {
  const struct {
    const char* element;
    int size;
  } strips[] = {{"small_bitmap", 16}, {"normal_bitmap", 24}, {"large_bitmap", 32}};
  for (const auto& s : strips) {
    SCOPED_TRACE(s.element);
    Strip strip;
    ASSERT_TRUE(DecodePng(
        Base64Decode(root.select_node((std::string("bitmaps/") + s.element + "/bitmap").c_str())
                         .node()
                         .child_value()),
        strip));
    EXPECT_EQ(strip.width, 250 * s.size);
    EXPECT_EQ(strip.height, s.size);
    std::vector<std::vector<unsigned char>> icons;
    for (int cell = 0; cell < 8; ++cell) {
      std::vector<unsigned char> alpha = strip.CellAlpha(cell);
      std::size_t opaque = 0;
      for (unsigned char a : alpha)
        opaque += a == 255;
      // A picture, not a speck: over an eighth of the cell is solid, and
      // its edge is see-through.
      EXPECT_GT(opaque, alpha.size() / 8) << "cell " << cell;
      EXPECT_LT(opaque, alpha.size()) << "cell " << cell;
      icons.push_back(strip.Cell(cell));
    }
    for (int a = 0; a < 8; ++a)
      for (int b = a + 1; b < 8; ++b)
        EXPECT_NE(icons[a], icons[b]) << "cells " << a << " and " << b;
    bool empty_after = true;
    for (int cell = 8; cell < 250 && empty_after; ++cell)
      for (unsigned char a : strip.CellAlpha(cell))
        empty_after = empty_after && a == 0;
    EXPECT_TRUE(empty_after);
  }
}

} // namespace
