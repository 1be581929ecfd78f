// Help, command-name completion and the history of typed lines.

#include "command_help.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "host_commands.h"
#include "ui/rhino_command_input.h"
#include "ui/rhino_plugin.h"
#include "win_strings.h"

namespace kyrel::app {

namespace {

using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

struct CommandHelp {
  const wchar_t* line;    // what the command does, one line
  const wchar_t* prompts; // what it asks for, in order, with its options
};

// The host's own commands. Plug-ins' commands have no entry: their prompts
// list their options when they run.
const std::map<std::wstring, CommandHelp>& HostHelp() {
  static const auto* table = new std::map<std::wstring, CommandHelp>{
      {L"Open", {L"opens a model file in place of the open model", L"file name"}},
      {L"Import", {L"adds the objects of a model or mesh file", L"file name"}},
      {L"Save", {L"saves the model to its file", L"file name when it has none"}},
      {L"SaveAs", {L"saves the model to a new file", L"file name"}},
      {L"Export", {L"writes objects to a file, format by extension", L"objects, file name"}},
      {L"SelAll", {L"selects every visible object", L"nothing"}},
      {L"SelNone", {L"clears the selection", L"nothing"}},
      {L"SelName", {L"selects the objects of a name", L"name"}},
      {L"SelId", {L"selects the object of an id", L"id"}},
      {L"SelPoint", {L"picks at a pixel of the view, as a click does", L"pixel column, pixel row"}},
      {L"Hide", {L"hides objects", L"objects"}},
      {L"Show", {L"shows the hidden objects again", L"nothing"}},
      {L"Lock", {L"locks objects", L"objects"}},
      {L"Unlock", {L"unlocks the locked objects", L"nothing"}},
      {L"Delete", {L"deletes objects", L"objects"}},
      {L"Move", {L"moves objects", L"objects, point to move from, point to move to"}},
      {L"Copy", {L"copies objects", L"objects, point to move from, point to move to"}},
      {L"Undo", {L"undoes the last command that changed the model", L"nothing"}},
      {L"Redo", {L"redoes what Undo undid", L"nothing"}},
      {L"Box", {L"adds a box", L"corner, opposite corner"}},
      {L"Sphere", {L"adds a sphere", L"centre, radius"}},
      {L"Cylinder", {L"adds a closed cylinder", L"base, radius, height"}},
      {L"PlaneSrf", {L"adds a rectangular surface", L"corner, other corner"}},
      {L"Block", {L"makes a block of objects", L"objects, base point, name"}},
      {L"Insert", {L"places a block", L"block name, insertion point"}},
      {L"ShadedViewport", {L"draws the view shaded", L"nothing"}},
      {L"WireframeViewport", {L"draws the view by edges", L"nothing"}},
      {L"GhostedViewport", {L"draws the view shaded and see-through", L"nothing"}},
      {L"SetView",
       {L"looks at the model from a side",
        L"View (Top Bottom Front Back Left Right Perspective), or Direction and a vector x,y,z"}},
      {L"Zoom",
       {L"frames the model", L"Mode (Extents Selected Box); Box asks for two corners"}},
      {L"ViewCaptureToFile",
       {L"writes the view as a PNG picture",
        L"options Width, Height (pixels) and Smooth (No Yes), then the file name"}},
      {L"List", {L"lists the objects with id, name, type, layer and state", L"nothing"}},
      {L"Panel", {L"prints a panel: progress and rows", L"panel name (optional)"}},
      {L"PanelClick", {L"clicks a row of a panel's list", L"row, column, panel name (optional)"}},
      {L"PanelDoubleClick",
       {L"double-clicks a row of a panel's list", L"row, column, panel name (optional)"}},
      {L"PanelButton", {L"presses a button of a panel", L"button text, panel name (optional)"}},
      {L"ShowPanel", {L"shows a panel", L"panel name (optional)"}},
      {L"ClosePanel", {L"closes a panel", L"panel name (optional)"}},
      {L"DockPanel",
       {L"docks a panel at a side", L"Side (Top Left Right Bottom Floating), panel name"}},
      {L"Toolbar", {L"lists the buttons of the open toolbars", L"nothing"}},
      {L"ToolbarButton",
       {L"runs a toolbar button's macro", L"button text or tooltip, then Right for its right click"}},
      {L"Wait",
       {L"waits until background work such as a clash computation is done",
        L"seconds at most (optional, 60)"}},
      {L"Help", {L"lists the commands, or tells what one asks for", L"command name (optional)"}},
      {L"WindowCapture",
       {L"writes the whole window (view, panels, toolbar) as a PNG picture", L"file name"}},
      {L"WindowLayout",
       {L"tells where the view, the toolbar buttons and the panels' rows are in the window",
        L"nothing"}},
      {L"WindowPixel", {L"tells which window pixel shows a world point", L"point x,y,z"}},
      {L"Exit", {L"ends kyrel", L"nothing"}},
  };
  return *table;
}

bool LessNoCase(const std::wstring& a, const std::wstring& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](wchar_t x, wchar_t y) {
                                        return std::towlower(x) < std::towlower(y);
                                      });
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  return true;
}

std::wstring PlugInOf(CRhinoCommand* command) {
  const CRhinoPlugIn* plugin = command->PlugIn();
  return plugin ? std::wstring(plugin->PlugInName()) : std::wstring();
}

// The word after Help, which is a command's name (so OptionalWord, which
// leaves command names for the next command, cannot be used).
std::optional<std::wstring> NameAfterHelp() {
  CRhinoMacroToken t;
  CRhinoCommandInput& input = RhinoCommandInput();
  if (!input.PeekToken(t) ||
      (t.m_kind != CRhinoMacroToken::word && t.m_kind != CRhinoMacroToken::string))
    return std::nullopt;
  input.NextToken(L"", t);
  return t.m_text;
}

CRhinoCommand::result HelpCommand(const CRhinoCommandContext&) {
  auto name = NameAfterHelp();
  if (!name) {
    std::vector<CRhinoCommand*> commands = CRhinoCommandTable::Commands();
    std::sort(commands.begin(), commands.end(), [](CRhinoCommand* a, CRhinoCommand* b) {
      return LessNoCase(a->EnglishCommandName(), b->EnglishCommandName());
    });
    Say(L"Commands (Help NAME tells what one asks for):");
    for (CRhinoCommand* c : commands) {
      const std::wstring command_name = c->EnglishCommandName();
      auto it = HostHelp().find(command_name);
      std::wstring line = L"  " + command_name;
      line.resize(std::max<std::size_t>(line.size() + 1, 22), L' ');
      if (it != HostHelp().end())
        line += it->second.line;
      else
        line += L"a command of the plug-in " + PlugInOf(c);
      Say(line);
    }
    return CRhinoCommand::success;
  }
  CRhinoCommand* command = CRhinoCommandTable::Find(name->c_str());
  if (!command) {
    Complain(L"There is no command \"" + *name + L"\"; Help lists them.");
    return CRhinoCommand::failure;
  }
  const std::wstring command_name = command->EnglishCommandName();
  auto it = HostHelp().find(command_name);
  if (it == HostHelp().end()) {
    Say(command_name + L": a command of the plug-in " + PlugInOf(command) +
        L". Its prompts list its options when it runs; ! or Escape cancels it.");
    return CRhinoCommand::success;
  }
  Say(command_name + L": " + it->second.line + L".");
  Say(L"  Asks for: " + std::wstring(it->second.prompts) + L".");
  return CRhinoCommand::success;
}

} // namespace

std::vector<std::string> CommandNamesStartingWith(const std::string& prefix) {
  std::wstring wanted = Utf8ToWide(prefix);
  const bool underscore = !wanted.empty() && wanted[0] == L'_';
  if (underscore) wanted.erase(0, 1);
  std::vector<std::string> out;
  for (CRhinoCommand* c : CRhinoCommandTable::Commands()) {
    const std::wstring name = c->EnglishCommandName();
    if (!StartsWithNoCase(name, wanted)) continue;
    std::string utf8 = (underscore ? "_" : "") + WideToUtf8(name);
    if (std::find(out.begin(), out.end(), utf8) == out.end()) out.push_back(utf8);
  }
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return LessNoCase(Utf8ToWide(a), Utf8ToWide(b));
  });
  return out;
}

std::string CompleteCommandName(const std::string& line, std::vector<std::string>& matches) {
  matches.clear();
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) return line;
  const std::string word = line.substr(start);
  // Only the command's own name completes; a space means its answers follow.
  if (word.find(' ') != std::string::npos || word == "!") return line;
  matches = CommandNamesStartingWith(word);
  if (matches.empty()) return line;
  if (matches.size() == 1) return line.substr(0, start) + matches.front() + " ";
  // The longest beginning all matches share, in the case the names have.
  std::string common = matches.front();
  for (const std::string& m : matches) {
    std::size_t n = 0;
    while (n < common.size() && n < m.size() &&
           std::tolower(static_cast<unsigned char>(common[n])) ==
               std::tolower(static_cast<unsigned char>(m[n])))
      ++n;
    common.resize(n);
  }
  if (common.size() <= word.size()) return line;
  return line.substr(0, start) + common;
}

void LineHistory::Add(const std::string& line) {
  if (!line.empty() && (lines_.empty() || lines_.back() != line)) lines_.push_back(line);
  at_ = lines_.size();
  pending_.clear();
}

std::string LineHistory::Older(const std::string& current) {
  if (lines_.empty()) return current;
  if (at_ >= lines_.size()) {
    pending_ = current;
    at_ = lines_.size();
  }
  if (at_ > 0) --at_;
  return lines_[at_];
}

std::string LineHistory::Newer(const std::string& current) {
  if (at_ >= lines_.size()) return current;
  ++at_;
  return at_ == lines_.size() ? pending_ : lines_[at_];
}

void AddHelpCommand(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"Help", false, HelpCommand));
}

} // namespace kyrel::app
