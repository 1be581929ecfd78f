// Reading toolbar collection files with pugixml.

#include "rhino_toolbar.h"

#include <climits>
#include <cstdlib>
#include <map>
#include <pugixml.hpp>

#include "file_util.h"
#include "win_strings.h"

using kyrel::platform::NativePath;
using kyrel::platform::Utf8ToWide;

namespace {

std::string Canonical(const wchar_t* path) {
  std::string native = NativePath(path ? path : L"");
  char resolved[PATH_MAX];
  if (realpath(native.c_str(), resolved)) return resolved;
  return native;
}

std::wstring Text(const pugi::xml_node& node, const char* child) {
  pugi::xml_node text = node.child(child);
  if (!text) return {};
  if (pugi::xml_node locale = text.child("locale_1033")) return Utf8ToWide(locale.child_value());
  return Utf8ToWide(text.child_value());
}

std::string Value(const pugi::xml_node& node, const char* name) {
  if (pugi::xml_attribute a = node.attribute(name)) return a.value();
  return node.child(name).child_value();
}

ON_UUID Guid(const std::string& text) {
  ON_UUID id = ON_nil_uuid;
  ON_UuidFromString(Utf8ToWide(text).c_str(), id);
  return id;
}

// Bytes of base64 text; characters outside the alphabet (line breaks,
// blanks) are skipped, and decoding stops at the first '='.
std::string DecodeBase64(const char* text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  std::string out;
  unsigned int bits = 0;
  int count = 0;
  for (const char* p = text; p && *p && *p != '='; ++p) {
    const int v = value(*p);
    if (v < 0) continue;
    bits = (bits << 6) | static_cast<unsigned int>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFFu));
    }
  }
  return out;
}

} // namespace

CRhinoUiManager& RhinoUiManager() {
  static auto* manager = new CRhinoUiManager;
  return *manager;
}

int CRhinoUiToolBarManager::CollectionIndex(const wchar_t* path, bool) const {
  if (!path || !*path) return -1;
  std::string wanted = Canonical(path);
  for (std::size_t i = 0; i < m_collections.size(); ++i)
    if (Canonical(m_collections[i].m_path.c_str()) == wanted) return static_cast<int>(i);
  return -1;
}

bool CRhinoUiToolBarManager::ReadFile(const wchar_t* path, bool, bool, bool) {
  m_error.clear();
  if (!path || !*path) {
    m_error = L"no file name";
    return false;
  }
  if (CollectionIndex(path, false) >= 0) return true;
  std::string contents, error;
  if (!kyrel::platform::ReadWholeFile(NativePath(path), contents, error)) {
    m_error = Utf8ToWide(error);
    return false;
  }
  pugi::xml_document doc;
  pugi::xml_parse_result parsed =
      doc.load_buffer(contents.data(), contents.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    m_error = Utf8ToWide(std::string("not a toolbar collection: ") + parsed.description());
    return false;
  }
  pugi::xml_node root = doc.child("RhinoUI");
  if (!root) {
    m_error = L"not a toolbar collection: no RhinoUI element";
    return false;
  }
  CRhinoUiToolBarCollection c;
  c.m_path = path;
  std::wstring file = path;
  auto slash = file.find_last_of(L"/\\");
  c.m_name = slash == std::wstring::npos ? file : file.substr(slash + 1);
  auto dot = c.m_name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) c.m_name.resize(dot);
  c.m_id = Guid(root.attribute("guid").value());
  c.m_plugin_id = Guid(root.attribute("plug_in_guid").value());

  std::map<std::string, int> cells; // bitmap item guid text -> cell index
  for (pugi::xpath_node x : root.select_nodes("//bitmaps/bitmap_item")) {
    pugi::xml_node b = x.node();
    cells[kyrel::platform::WideToUtf8(ON_UuidToString(Guid(b.attribute("guid").value())).Array())] =
        b.attribute("index").as_int(-1);
  }
  for (pugi::xml_node strip : root.child("bitmaps").children()) {
    if (!strip.attribute("item_width")) continue;
    CRhinoUiToolBarStrip s;
    s.m_cell_size = strip.attribute("item_width").as_int(0);
    s.m_png = DecodeBase64(strip.child("bitmap").child_value());
    if (s.m_cell_size > 0 && !s.m_png.empty()) c.m_strips.push_back(std::move(s));
  }
  struct Macro {
    std::wstring text, tooltip, script, button_text;
    int image = -1;
  };
  std::map<std::string, Macro> macros; // by lower-case guid text
  for (pugi::xpath_node x : root.select_nodes("//macro_item")) {
    pugi::xml_node m = x.node();
    Macro macro{Text(m, "text"), Text(m, "tooltip"), Utf8ToWide(m.child("script").child_value()),
                Text(m, "button_text")};
    auto cell = cells.find(kyrel::platform::WideToUtf8(
        ON_UuidToString(Guid(m.attribute("bitmap_id").value())).Array()));
    if (cell != cells.end()) macro.image = cell->second;
    macros[kyrel::platform::WideToUtf8(
        ON_UuidToString(Guid(m.attribute("guid").value())).Array())] = macro;
  }
  auto lookup = [&](const std::string& guid_text) -> const Macro* {
    ON_UUID id = Guid(guid_text);
    if (ON_UuidIsNil(id)) return nullptr;
    auto it = macros.find(kyrel::platform::WideToUtf8(ON_UuidToString(id).Array()));
    return it == macros.end() ? nullptr : &it->second;
  };
  for (pugi::xpath_node x : root.select_nodes("//tool_bar")) {
    pugi::xml_node tb = x.node();
    CRhinoUiToolBar toolbar;
    toolbar.m_name = Text(tb, "text");
    for (pugi::xml_node item : tb.children("tool_bar_item")) {
      CRhinoUiToolBarButton b;
      b.m_text = Text(item, "text");
      b.m_bSpacer = Value(item, "item_type") == "spacer";
      b.m_bShowText = Value(item, "item_display_style") == "control_and_text";
      if (const Macro* left = lookup(Value(item, "left_macro_id"))) {
        b.m_left_macro = left->script;
        b.m_tooltip = left->tooltip.empty() ? left->text : left->tooltip;
        b.m_button_text = left->button_text;
        b.m_left_image = left->image;
      }
      if (const Macro* right = lookup(Value(item, "right_macro_id"))) {
        b.m_right_macro = right->script;
        b.m_right_tooltip = right->tooltip.empty() ? right->text : right->tooltip;
        b.m_right_image = right->image;
      }
      toolbar.m_buttons.push_back(b);
    }
    c.m_toolbars.push_back(toolbar);
  }
  m_collections.push_back(c);
  return true;
}

bool CRhinoUiToolBarManager::CloseCollection(int index) {
  if (index < 0 || index >= CollectionCount()) return false;
  m_collections.erase(m_collections.begin() + index);
  return true;
}

const CRhinoUiToolBarCollection* CRhinoUiToolBarManager::Collection(int index) const {
  return (index >= 0 && index < CollectionCount()) ? &m_collections[static_cast<std::size_t>(index)]
                                                   : nullptr;
}
