#include "host_commands.h"

#include <exception>
#include <memory>

#include "command_help.h"
#include "ui/rhino_command_input.h"
#include "win_strings.h"

namespace kyrel::app {

HostCommand::HostCommand(const wchar_t* name, bool undo, Body body)
    : CRhinoCommand(false, false, nullptr, false), m_name(name), m_body(std::move(body)) {
  ON_CreateUuid(m_id);
  EnableUndo(undo);
}

CRhinoCommand::result HostCommand::RunCommand(const CRhinoCommandContext& context) {
  return m_body(context);
}

void RegisterHostCommands() {
  static std::vector<std::unique_ptr<HostCommand>>* commands = nullptr;
  if (commands) return;
  commands = new std::vector<std::unique_ptr<HostCommand>>; // for the life of the process
  AddFileCommands(*commands);
  AddSelectionCommands(*commands);
  AddEditCommands(*commands);
  AddCreateCommands(*commands);
  AddViewCommands(*commands);
  AddPanelCommands(*commands);
  AddHelpCommand(*commands);
}

void Say(const std::wstring& line) {
  RhinoCommandInput().Print(line);
}
void Complain(const std::wstring& line) {
  RhinoCommandInput().Error(line);
}

std::optional<std::vector<const CRhinoObject*>> AskObjects(const wchar_t* prompt,
                                                           unsigned int filter, int min_count) {
  CRhinoGetObject go;
  go.SetCommandPrompt(prompt);
  go.SetGeometryFilter(filter);
  if (go.GetObjects(min_count, 0) != CRhinoGet::object) return std::nullopt;
  std::vector<const CRhinoObject*> out;
  for (int i = 0; i < go.ObjectCount(); ++i)
    if (const CRhinoObject* o = go.Object(i).Object()) out.push_back(o);
  return out;
}

std::optional<ON_3dPoint> AskPoint(const wchar_t* prompt) {
  CRhinoGetPoint gp;
  gp.SetCommandPrompt(prompt);
  if (gp.GetPoint() != CRhinoGet::point) return std::nullopt;
  return gp.Point();
}

std::optional<double> AskNumber(const wchar_t* prompt, bool positive) {
  for (;;) {
    CRhinoGetNumber gn;
    gn.SetCommandPrompt(prompt);
    if (gn.GetNumber() != CRhinoGet::number) return std::nullopt;
    if (!positive || gn.Number() > 0) return gn.Number();
    Complain(std::wstring(prompt) + L": the number must be positive.");
  }
}

std::optional<std::wstring> AskString(const wchar_t* prompt) {
  CRhinoGetString gs;
  gs.SetCommandPrompt(prompt);
  if (gs.GetString() != CRhinoGet::string) return std::nullopt;
  return std::wstring(gs.String());
}

std::optional<std::wstring> OptionalWord() {
  CRhinoMacroToken t;
  CRhinoCommandInput& input = RhinoCommandInput();
  if (!input.PeekToken(t)) return std::nullopt;
  if (t.m_kind == CRhinoMacroToken::string ||
      (t.m_kind == CRhinoMacroToken::word && !t.m_bUnderscore &&
       !CRhinoCommandTable::Find(t.m_text.c_str()))) {
    input.NextToken(L"", t);
    return t.m_text;
  }
  return std::nullopt;
}

std::optional<double> OptionalNumber() {
  CRhinoMacroToken t;
  CRhinoCommandInput& input = RhinoCommandInput();
  if (!input.PeekToken(t) || t.m_kind != CRhinoMacroToken::number) return std::nullopt;
  input.NextToken(L"", t);
  return t.m_number;
}

namespace {
void (*busy_hook)(const std::string&) = nullptr;
} // namespace

void SetBusyHook(void (*hook)(const std::string& status)) {
  busy_hook = hook;
}

void CallBusyHook(const std::string& status) {
  if (busy_hook) busy_hook(status);
}

CRhinoView* ActiveView() {
  return RhinoApp().ActiveView();
}

std::wstring TypeName(const CRhinoObject& o) {
  switch (static_cast<unsigned int>(o.ObjectType())) {
  case 0x20:
    return L"mesh";
  case 0x10: {
    const auto* b = dynamic_cast<const CRhinoBrepObject*>(&o);
    if (b && b->Brep() && b->Brep()->FaceCount() == 1) return L"surface";
    return L"polysurface";
  }
  case 0x4:
    return L"curve";
  case 0x1000:
    return L"block instance";
  case 0x20000000:
    return L"clipping plane";
  default:
    return L"object";
  }
}

} // namespace kyrel::app
