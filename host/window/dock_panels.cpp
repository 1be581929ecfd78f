#include "dock_panels.h"

#include <imgui.h>

#include <algorithm>
#include <string>

#include "ui/rhino_dockbar.h"
#include "win_controls.h"
#include "toolbar_strip.h"
#include "win_strings.h"

namespace kyrel::window {

namespace {

using kyrel::platform::ChildWindows;
using kyrel::platform::EqualsNoCase;
using kyrel::platform::WideToUtf8;
using kyrel::platform::WindowClass;

// The header of a bar in the window: its title and its Dock menu.
float HeaderHeight() {
  return ImGui::GetFrameHeight() * 2.0f + 2.0f;
}

bool Shown(HWND hwnd) {
  return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Descendants(HWND parent, std::vector<HWND>& out) {
  for (HWND child : ChildWindows(parent)) {
    out.push_back(child);
    Descendants(child, out);
  }
}

// The height a bar docked at the top or bottom asks for, as the dock bar
// manager lays it out.
int BarHeight(CRhinoUiDockBar* bar) {
  const CSize asked = bar->OnCalcFixedLayout(CSize(640, bar->InitialSizeDockedHorz().cy), TRUE, TRUE);
  return std::max(8, static_cast<int>(asked.cy));
}

// Gives the bar and the child that fills it a new size, as the host's
// frame does when the window around them changes.
void Resize(CRhinoUiDockBar* bar, int w, int h) {
  RECT r{};
  GetWindowRect(bar->m_hWnd, &r);
  if (r.right - r.left == w && r.bottom - r.top == h) return;
  ::MoveWindow(bar->m_hWnd, 0, 0, w, h, TRUE);
  for (HWND child : ChildWindows(bar->m_hWnd)) {
    if (bar->m_pDockBarChild && bar->m_pDockBarChild->m_hWnd != child) continue;
    ::MoveWindow(child, 0, 0, w, h, TRUE);
  }
}

const std::pair<const char*, DWORD> kSides[] = {{"Left", AFX_IDW_DOCKBAR_LEFT},
                                                {"Right", AFX_IDW_DOCKBAR_RIGHT},
                                                {"Top", AFX_IDW_DOCKBAR_TOP},
                                                {"Bottom", AFX_IDW_DOCKBAR_BOTTOM},
                                                {"Floating", AFX_IDW_DOCKBAR_FLOAT}};

} // namespace

DockPanels::Margins DockPanels::Measure(int area_w, int area_h) const {
  Margins m;
  const int header = static_cast<int>(HeaderHeight());
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    if (!bar->IsVisible() || !bar->m_hWnd) continue;
    switch (bar->DockPosition()) {
    case AFX_IDW_DOCKBAR_LEFT:
      m.left = std::max(m.left, bar->InitialSizeDockedVert().cx);
      break;
    case AFX_IDW_DOCKBAR_RIGHT:
      m.right = std::max(m.right, bar->InitialSizeDockedVert().cx);
      break;
    case AFX_IDW_DOCKBAR_TOP:
      m.top += header + BarHeight(bar);
      break;
    case AFX_IDW_DOCKBAR_BOTTOM:
      m.bottom += header + BarHeight(bar);
      break;
    default:
      break;
    }
  }
  // The view keeps at least a third of the room.
  m.left = std::min(m.left, area_w / 3);
  m.right = std::min(m.right, area_w / 3);
  m.top = std::min(m.top, area_h / 3);
  m.bottom = std::min(m.bottom, area_h / 3);
  return m;
}

void DockPanels::DrawMenu() {
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    bool shown = bar->IsVisible();
    if (ImGui::MenuItem(WideToUtf8(bar->DockBarName(1033)).c_str(), nullptr, &shown)) {
      const ON_UUID id = bar->DockBarID();
      actions_.push_back([id, shown] {
        if (shown)
          RhinoUiDockBarManager().ShowDockBar(id, true, true);
        else
          RhinoUiDockBarManager().CloseDockBar(id);
      });
    }
  }
}

void DockPanels::Draw(int x, int y, int w, int h, bool act) {
  placed_.clear();
  const Margins m = Measure(w, h);
  const int header = static_cast<int>(HeaderHeight());
  int top = y, bottom = y + h;
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    if (!bar->IsVisible() || !bar->m_hWnd) continue;
    const int bar_h = header + BarHeight(bar);
    switch (bar->DockPosition()) {
    case AFX_IDW_DOCKBAR_TOP:
      DrawBar(bar, x, top, w, std::min(bar_h, m.top), false);
      top += bar_h;
      break;
    case AFX_IDW_DOCKBAR_BOTTOM:
      bottom -= bar_h;
      DrawBar(bar, x, bottom, w, std::min(bar_h, m.bottom), false);
      break;
    default:
      break;
    }
  }
  const int side_y = y + m.top, side_h = h - m.top - m.bottom;
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    if (!bar->IsVisible() || !bar->m_hWnd) continue;
    switch (bar->DockPosition()) {
    case AFX_IDW_DOCKBAR_LEFT:
      DrawBar(bar, x, side_y, m.left, side_h, false);
      break;
    case AFX_IDW_DOCKBAR_RIGHT:
      DrawBar(bar, x + w - m.right, side_y, m.right, side_h, false);
      break;
    case AFX_IDW_DOCKBAR_FLOAT:
      DrawBar(bar, x + w / 2 - 150, y + h / 4, 300, 300, true);
      break;
    default:
      break;
    }
  }
  // Handlers may add or remove rows, close the bar or dock it elsewhere:
  // they run once the controls are no longer being walked.
  if (!act) return;
  std::vector<std::function<void()>> actions;
  actions.swap(actions_);
  for (auto& action : actions)
    action();
}

void DockPanels::DrawBar(CRhinoUiDockBar* bar, int x, int y, int w, int h, bool floating) {
  const std::string title = WideToUtf8(bar->DockBarName(1033));
  ImGuiWindowFlags flags = ImGuiWindowFlags_MenuBar | ImGuiWindowFlags_NoCollapse |
                           ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoSavedSettings;
  if (floating) {
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(x), static_cast<float>(y)),
                            ImGuiCond_Appearing);
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(w), static_cast<float>(h)),
                             ImGuiCond_Appearing);
  } else {
    flags |= ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize;
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(x), static_cast<float>(y)));
    ImGui::SetNextWindowSize(ImVec2(static_cast<float>(w), static_cast<float>(h)));
  }
  bool open = true;
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
  const bool drawn = ImGui::Begin((title + "##dock bar").c_str(), &open, flags);
  ImGui::PopStyleVar();
  const ON_UUID id = bar->DockBarID();
  if (drawn) {
    if (ImGui::BeginMenuBar()) {
      if (ImGui::BeginMenu("Dock")) {
        for (const auto& [name, side] : kSides)
          if (ImGui::MenuItem(name, nullptr, bar->DockPosition() == side)) {
            const DWORD row = side;
            actions_.push_back([id, row] { RhinoUiDockBarManager().DockDockBar(id, row); });
          }
        ImGui::EndMenu();
      }
      ImGui::EndMenuBar();
    }
    const ImVec2 room = ImGui::GetContentRegionAvail();
    Resize(bar, std::max(1, static_cast<int>(room.x)), std::max(1, static_cast<int>(room.y)));
    DrawControls(bar);
  }
  ImGui::End();
  if (!open) actions_.push_back([id] { RhinoUiDockBarManager().CloseDockBar(id); });
}

void DockPanels::DrawControls(CRhinoUiDockBar* bar) {
  const ImVec2 origin = ImGui::GetCursorScreenPos();
  std::vector<HWND> all;
  Descendants(bar->m_hWnd, all);
  int index = 0;
  for (HWND control : all) {
    if (!Shown(control)) continue;
    RECT r{};
    GetWindowRect(control, &r);
    const ImVec2 at(origin.x + static_cast<float>(r.left), origin.y + static_cast<float>(r.top));
    const ImVec2 size(static_cast<float>(std::max(1L, static_cast<long>(r.right - r.left))),
                      static_cast<float>(std::max(1L, static_cast<long>(r.bottom - r.top))));
    const std::wstring cls = WindowClass(control);
    ImGui::PushID(index++);
    ImGui::SetCursorScreenPos(at);
    if (EqualsNoCase(cls, WC_BUTTONW)) {
      const std::string text = WideToUtf8(kyrel::platform::WindowText(control));
      if (ImGui::Button(text.c_str(), size))
        actions_.push_back([control] {
          if (IsWindow(control)) SendMessageW(control, BM_CLICK, 0, 0);
        });
      placed_.push_back("button " + Placement(text));
    } else if (EqualsNoCase(cls, PROGRESS_CLASSW)) {
      const int low = static_cast<int>(SendMessageW(control, PBM_GETRANGE, TRUE, 0));
      const int high = static_cast<int>(SendMessageW(control, PBM_GETRANGE, FALSE, 0));
      const int pos = static_cast<int>(SendMessageW(control, PBM_GETPOS, 0, 0));
      const float fraction =
          high > low ? static_cast<float>(pos - low) / static_cast<float>(high - low) : 0.0f;
      const std::string overlay = std::to_string(pos) + " of " + std::to_string(high);
      ImGui::ProgressBar(fraction, size, overlay.c_str());
    } else if (EqualsNoCase(cls, WC_LISTVIEWW)) {
      DrawList(control, r);
    } else if (EqualsNoCase(cls, WC_STATICW)) {
      ImGui::TextUnformatted(WideToUtf8(kyrel::platform::WindowText(control)).c_str());
    }
    ImGui::PopID();
  }
}

void DockPanels::DrawList(HWND list, const RECT& r) {
  const int columns = std::max(1, kyrel::platform::ListViewColumnCount(list));
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  const ImVec2 size(static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top));
  if (!ImGui::BeginTable("##list", columns,
                         ImGuiTableFlags_Borders | ImGuiTableFlags_RowBg |
                             ImGuiTableFlags_ScrollY | ImGuiTableFlags_Resizable,
                         size))
    return;
  ImGui::TableSetupScrollFreeze(0, 1);
  for (int c = 0; c < columns; ++c)
    ImGui::TableSetupColumn(WideToUtf8(kyrel::platform::ListViewColumnHeading(list, c)).c_str());
  ImGui::TableHeadersRow();
  ImGuiListClipper clipper;
  clipper.Begin(rows);
  while (clipper.Step()) {
    for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
      ImGui::TableNextRow();
      const bool selected =
          SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
      for (int c = 0; c < columns; ++c) {
        ImGui::TableSetColumnIndex(c);
        const std::string text = WideToUtf8(kyrel::platform::ListViewCellText(list, row, c)) +
                                 "##" + std::to_string(row) + "," + std::to_string(c);
        const bool chosen =
            ImGui::Selectable(text.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick);
        placed_.push_back("row " + std::to_string(row) + " column " + std::to_string(c) + " " +
                          Placement(WideToUtf8(kyrel::platform::ListViewCellText(list, row, c))));
        if (chosen) {
          const bool twice = ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left);
          const bool extend = ImGui::GetIO().KeyCtrl || ImGui::GetIO().KeyShift;
          actions_.push_back([list, row, c, twice, extend] {
            if (!IsWindow(list)) return;
            if (twice)
              kyrel::platform::ListViewDoubleClick(list, row, c);
            else
              kyrel::platform::ListViewClick(list, row, c, extend);
          });
        }
      }
    }
  }
  ImGui::EndTable();
}

} // namespace kyrel::window
