// Panel, PanelClick, PanelDoubleClick, PanelButton, ShowPanel, ClosePanel,
// DockPanel, Toolbar, ToolbarButton: the headless stand-ins for looking at
// and clicking the panels and toolbars that plug-ins create.

#include "host_commands.h"
#include "host_session.h"
#include "ui/rhino_dockbar.h"
#include "ui/rhino_toolbar.h"
#include "win_controls.h"
#include "win_strings.h"

namespace kyrel::app {

namespace {

using kyrel::platform::ChildWindows;
using kyrel::platform::EqualsNoCase;
using kyrel::platform::WindowClass;

// Every window below `parent`, depth first.
void Descendants(HWND parent, std::vector<HWND>& out) {
  for (HWND child : ChildWindows(parent)) {
    out.push_back(child);
    Descendants(child, out);
  }
}

HWND FindControl(CRhinoUiDockBar* bar, const wchar_t* window_class) {
  std::vector<HWND> all;
  Descendants(bar->m_hWnd, all);
  for (HWND w : all)
    if (EqualsNoCase(WindowClass(w), window_class)) return w;
  return nullptr;
}

const wchar_t* SideName(DWORD side) {
  switch (side) {
  case AFX_IDW_DOCKBAR_TOP:
    return L"top";
  case AFX_IDW_DOCKBAR_LEFT:
    return L"left";
  case AFX_IDW_DOCKBAR_RIGHT:
    return L"right";
  case AFX_IDW_DOCKBAR_BOTTOM:
    return L"bottom";
  default:
    return L"floating";
  }
}

void PrintPanel(CRhinoUiDockBar* bar) {
  Say(std::wstring(L"Panel \"") + bar->DockBarName(1033) + L"\": " +
      (bar->IsVisible() ? L"shown" : L"hidden") + L", docked " + SideName(bar->DockPosition()));
  std::vector<HWND> all;
  Descendants(bar->m_hWnd, all);
  for (HWND w : all) {
    std::wstring cls = WindowClass(w);
    if (EqualsNoCase(cls, PROGRESS_CLASSW)) {
      Say(L"  progress " + std::to_wstring(SendMessageW(w, PBM_GETPOS, 0, 0)) + L" of " +
          std::to_wstring(SendMessageW(w, PBM_GETRANGE, FALSE, 0)) +
          (IsWindowVisible(w) ? L"" : L" (hidden)"));
    } else if (EqualsNoCase(cls, WC_LISTVIEWW)) {
      int columns = kyrel::platform::ListViewColumnCount(w);
      int rows = static_cast<int>(SendMessageW(w, LVM_GETITEMCOUNT, 0, 0));
      std::wstring heading = L"  list";
      for (int c = 0; c < columns; ++c)
        heading += L" | " + kyrel::platform::ListViewColumnHeading(w, c);
      Say(heading + L" | (" + std::to_wstring(rows) + L" rows" +
          (IsWindowVisible(w) ? L")" : L", hidden)"));
      for (int r = 0; r < rows; ++r) {
        std::wstring line = L"  row " + std::to_wstring(r);
        for (int c = 0; c < columns; ++c)
          line += L" | " + kyrel::platform::ListViewCellText(w, r, c);
        if (SendMessageW(w, LVM_GETITEMSTATE, static_cast<WPARAM>(r), LVIS_SELECTED))
          line += L" | selected";
        Say(line);
      }
    } else if (EqualsNoCase(cls, WC_BUTTONW)) {
      Say(L"  button \"" + kyrel::platform::WindowText(w) + L"\"");
    }
  }
}

// The panel named by an optional word, or the only one, or the first.
CRhinoUiDockBar* PanelArgument() {
  auto name = OptionalWord();
  auto bars = RhinoUiDockBarManager().DockBars();
  if (name) {
    CRhinoUiDockBar* bar = RhinoUiDockBarManager().FindDockBar(name->c_str());
    if (!bar) Complain(L"There is no panel named \"" + *name + L"\".");
    return bar;
  }
  if (bars.empty()) Complain(L"No plug-in has made a panel.");
  return bars.empty() ? nullptr : bars.front();
}

CRhinoCommand::result ClickList(bool twice) {
  auto row = AskNumber(L"Row (from 0)", false);
  if (!row) return CRhinoCommand::cancel;
  auto column = AskNumber(L"Column (from 0)", false);
  if (!column) return CRhinoCommand::cancel;
  CRhinoUiDockBar* bar = PanelArgument();
  if (!bar) return CRhinoCommand::failure;
  HWND list = FindControl(bar, WC_LISTVIEWW);
  if (!list) {
    Complain(std::wstring(L"Panel \"") + bar->DockBarName(1033) + L"\" has no list.");
    return CRhinoCommand::failure;
  }
  if (twice)
    kyrel::platform::ListViewDoubleClick(list, static_cast<int>(*row), static_cast<int>(*column));
  else
    kyrel::platform::ListViewClick(list, static_cast<int>(*row), static_cast<int>(*column), false);
  return CRhinoCommand::success;
}

CRhinoCommand::result PanelCommand(const CRhinoCommandContext&) {
  auto name = OptionalWord();
  auto bars = RhinoUiDockBarManager().DockBars();
  if (bars.empty()) Say(L"No panels.");
  for (CRhinoUiDockBar* bar : bars)
    if (!name || EqualsNoCase(bar->DockBarName(1033), *name)) PrintPanel(bar);
  return CRhinoCommand::success;
}

CRhinoCommand::result PanelClickCommand(const CRhinoCommandContext&) {
  return ClickList(false);
}

CRhinoCommand::result PanelDoubleClickCommand(const CRhinoCommandContext&) {
  return ClickList(true);
}

CRhinoCommand::result PanelButtonCommand(const CRhinoCommandContext&) {
  auto text = AskString(L"Button text");
  if (!text) return CRhinoCommand::cancel;
  CRhinoUiDockBar* bar = PanelArgument();
  if (!bar) return CRhinoCommand::failure;
  std::vector<HWND> all;
  Descendants(bar->m_hWnd, all);
  for (HWND w : all) {
    if (EqualsNoCase(WindowClass(w), WC_BUTTONW) &&
        EqualsNoCase(kyrel::platform::WindowText(w), *text)) {
      SendMessageW(w, BM_CLICK, 0, 0);
      return CRhinoCommand::success;
    }
  }
  Complain(L"The panel has no button \"" + *text + L"\".");
  return CRhinoCommand::failure;
}

CRhinoCommand::result ShowOrClosePanel(bool shown) {
  CRhinoUiDockBar* bar = PanelArgument();
  if (!bar) return CRhinoCommand::failure;
  bool ok = shown ? RhinoUiDockBarManager().ShowDockBar(bar->DockBarID(), true, true)
                  : RhinoUiDockBarManager().CloseDockBar(bar->DockBarID());
  return ok ? CRhinoCommand::success : CRhinoCommand::failure;
}

CRhinoCommand::result ShowPanelCommand(const CRhinoCommandContext&) {
  return ShowOrClosePanel(true);
}

CRhinoCommand::result ClosePanelCommand(const CRhinoCommandContext&) {
  return ShowOrClosePanel(false);
}

CRhinoCommand::result DockPanelCommand(const CRhinoCommandContext&) {
  static const CRhinoCommandOptionValue sides[] = {L"Top", L"Left", L"Right", L"Bottom",
                                                   L"Floating"};
  static const DWORD rows[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT,
                               AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_FLOAT};
  CRhinoGetOption go;
  go.SetCommandPrompt(L"Dock the panel");
  go.AddCommandOptionList(L"Side", 5, sides, 2);
  if (go.GetOption() != CRhinoGet::option || !go.Option()) return go.CommandResult();
  CRhinoUiDockBar* bar = PanelArgument();
  if (!bar) return CRhinoCommand::failure;
  int i = go.Option()->m_list_option_current;
  if (i < 0 || i > 4 || !RhinoUiDockBarManager().DockDockBar(bar->DockBarID(), rows[i])) {
    Complain(L"The panel cannot dock there.");
    return CRhinoCommand::failure;
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result ToolbarCommand(const CRhinoCommandContext&) {
  CRhinoUiToolBarManager& tm = RhinoUiManager().ToolBarManager();
  if (tm.CollectionCount() == 0) Say(L"No toolbar collections are open.");
  for (int i = 0; i < tm.CollectionCount(); ++i) {
    const CRhinoUiToolBarCollection* c = tm.Collection(i);
    Say(L"Collection \"" + c->m_name + L"\" (" + c->m_path + L")");
    for (const auto& tb : c->m_toolbars) {
      Say(L"  Toolbar \"" + tb.m_name + L"\"");
      for (const auto& b : tb.m_buttons) {
        if (b.m_bSpacer) {
          Say(L"    (spacer)");
          continue;
        }
        std::wstring line = L"    \"" + b.m_text + L"\"  left: " + b.m_left_macro;
        if (!b.m_right_macro.empty()) line += L"  right: " + b.m_right_macro;
        for (auto& ch : line)
          if (ch == L'\n' || ch == L'\r') ch = L' ';
        Say(line);
      }
    }
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result ToolbarButtonCommand(const CRhinoCommandContext&) {
  auto text = AskString(L"Toolbar button");
  if (!text) return CRhinoCommand::cancel;
  bool right = false;
  CRhinoMacroToken t;
  if (RhinoCommandInput().PeekToken(t) && t.m_kind == CRhinoMacroToken::word &&
      (EqualsNoCase(t.m_text, L"Right") || EqualsNoCase(t.m_text, L"Left"))) {
    right = EqualsNoCase(t.m_text, L"Right");
    RhinoCommandInput().NextToken(L"", t);
  }
  CRhinoUiToolBarManager& tm = RhinoUiManager().ToolBarManager();
  for (int i = 0; i < tm.CollectionCount(); ++i)
    for (const auto& tb : tm.Collection(i)->m_toolbars)
      for (const auto& b : tb.m_buttons) {
        if (b.m_bSpacer || (!EqualsNoCase(b.m_text, *text) && !EqualsNoCase(b.m_tooltip, *text)))
          continue;
        const std::wstring& macro = right ? b.m_right_macro : b.m_left_macro;
        if (macro.empty()) {
          Complain(L"Button \"" + *text + L"\" has no " + (right ? L"right" : L"left") +
                   L"-click macro.");
          return CRhinoCommand::failure;
        }
        // The macro runs after this command, as if typed next.
        HostSession::Instance().Input().PushMacroFront(macro);
        return CRhinoCommand::success;
      }
  Complain(L"No open toolbar has a button \"" + *text + L"\".");
  return CRhinoCommand::failure;
}

} // namespace

void AddPanelCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"Panel", false, PanelCommand));
  out.push_back(std::make_unique<HostCommand>(L"PanelClick", false, PanelClickCommand));
  out.push_back(std::make_unique<HostCommand>(L"PanelDoubleClick", false, PanelDoubleClickCommand));
  out.push_back(std::make_unique<HostCommand>(L"PanelButton", false, PanelButtonCommand));
  out.push_back(std::make_unique<HostCommand>(L"ShowPanel", false, ShowPanelCommand));
  out.push_back(std::make_unique<HostCommand>(L"ClosePanel", false, ClosePanelCommand));
  out.push_back(std::make_unique<HostCommand>(L"DockPanel", false, DockPanelCommand));
  out.push_back(std::make_unique<HostCommand>(L"Toolbar", false, ToolbarCommand));
  out.push_back(std::make_unique<HostCommand>(L"ToolbarButton", false, ToolbarButtonCommand));
}

} // namespace kyrel::app
