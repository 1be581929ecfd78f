#pragma once
// The toolbar manager: open toolbar collection files, their toolbars, the
// buttons and the macros the buttons run.
//
// A collection file is UTF-8 XML (a byte-order mark is allowed) with the
// root element RhinoUI. What the manager reads from it:
//   - every <tool_bar> element: its name is its <text> (the <locale_1033>
//     child when there is one);
//   - its <tool_bar_item> children in order: text as above, the item kind
//     from an "item_type" attribute or child ("spacer" items have no
//     macros), the macros from <left_macro_id> and <right_macro_id>
//     (children or attributes holding a macro's guid);
//   - every <macro_item guid="..."> element: its <text>, <tooltip>,
//     <button_text>, <script> (the macro, as it stands) and the cell of its
//     image (bitmap_id naming a <bitmap_item> with an index);
//   - the image strips under <bitmaps> (PNG in base64, cells item_width
//     pixels wide).
// Anything else (menus, dock information) is kept in the file but not used.

#include <string>
#include <vector>

#include "opennurbs.h"

struct CRhinoUiToolBarButton {
  std::wstring m_text;
  std::wstring m_tooltip; // of the left macro
  bool m_bSpacer = false;
  std::wstring m_left_macro;  // script, may be empty
  std::wstring m_right_macro; // script, may be empty
  // For a window that draws the button: the right macro's tooltip, the
  // text shown beside the image (when the item's display style asks for
  // control and text), and each macro's cell in the image strips (-1: none).
  std::wstring m_right_tooltip;
  std::wstring m_button_text;
  bool m_bShowText = false;
  int m_left_image = -1;
  int m_right_image = -1;
};

// One image strip of a collection: square cells of m_cell_size pixels in a
// row, as the PNG file bytes the collection holds (base64 in the file).
struct CRhinoUiToolBarStrip {
  int m_cell_size = 0;
  std::string m_png;
};

struct CRhinoUiToolBar {
  std::wstring m_name;
  std::vector<CRhinoUiToolBarButton> m_buttons;
};

struct CRhinoUiToolBarCollection {
  std::wstring m_path; // as opened
  std::wstring m_name; // the file name without folder and extension
  ON_UUID m_id = ON_nil_uuid;
  ON_UUID m_plugin_id = ON_nil_uuid;
  std::vector<CRhinoUiToolBar> m_toolbars;
  std::vector<CRhinoUiToolBarStrip> m_strips; // small to large
};

class CRhinoUiToolBarManager {
public:
  // Index of the open collection read from that file, or -1.
  int CollectionIndex(const wchar_t* path, bool bIgnoreCase) const;
  // Opens the collection file. The flags (visible, update the UI,
  // read-only) are kept for the host's interface and change nothing here.
  // False when the file cannot be read or is not a collection; an already
  // open file is not opened twice (true).
  bool ReadFile(const wchar_t* path, bool bVisible, bool bUpdate, bool bReadOnly);
  bool CloseCollection(int index);
  int CollectionCount() const { return static_cast<int>(m_collections.size()); }
  const CRhinoUiToolBarCollection* Collection(int index) const;
  // Why the last ReadFile failed.
  const std::wstring& LastError() const { return m_error; }

private:
  std::vector<CRhinoUiToolBarCollection> m_collections;
  std::wstring m_error;
};

class CRhinoUiManager {
public:
  virtual ~CRhinoUiManager() = default;
  virtual CRhinoUiToolBarManager& ToolBarManager() { return m_toolbars; }

private:
  CRhinoUiToolBarManager m_toolbars;
};

CRhinoUiManager& RhinoUiManager();
