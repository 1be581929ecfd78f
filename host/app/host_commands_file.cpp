// Open, Import, Save, SaveAs, Export, List, Exit.

#include "file_formats.h"
#include "host_commands.h"
#include "host_session.h"
#include "ui/rhino_file_write_options.h"
#include "win_strings.h"

namespace kyrel::app {

using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

namespace {

std::string InputPath(const std::wstring& name) {
  return kyrel::platform::NativePath(name);
}

std::wstring ModeText(const CRhinoObject& o) {
  std::wstring s = o.IsHidden() ? L"hidden" : (o.IsLocked() ? L"locked" : L"normal");
  if (o.IsSelected()) s += L", selected";
  return s;
}

CRhinoCommand::result OpenCommand(const CRhinoCommandContext&) {
  auto name = AskString(L"File to open");
  if (!name) return CRhinoCommand::cancel;
  std::string error;
  if (!OpenFile(InputPath(*name), error)) {
    Complain(Utf8ToWide(error));
    return CRhinoCommand::failure;
  }
  Say(L"Opened " + *name + L": " + std::to_wstring(RhinoApp().ActiveDoc()->ObjectCount()) +
      L" objects.");
  return CRhinoCommand::success;
}

CRhinoCommand::result ImportCommand(const CRhinoCommandContext& c) {
  auto name = AskString(L"File to import");
  if (!name) return CRhinoCommand::cancel;
  std::string error;
  int added = 0;
  std::vector<std::string> notes;
  if (!ImportFile(InputPath(*name), c.m_doc, error, &added, &notes)) {
    Complain(Utf8ToWide(error));
    return CRhinoCommand::failure;
  }
  Say(L"Imported " + std::to_wstring(added) + L" objects from " + *name + L".");
  for (const std::string& note : notes)
    Say(L"Note: " + Utf8ToWide(note) + L".");
  return CRhinoCommand::success;
}

CRhinoCommand::result SaveTo(CRhinoDoc& doc, const std::wstring& name) {
  RhinoApp().FileWriteOptions().SetDefaults();
  if (!doc.SaveDocument(name.c_str(), false)) return CRhinoCommand::failure;
  doc.SetFileName(Utf8ToWide(HostSession::Instance().OutputPath(name)).c_str());
  doc.SetModifiedFlag(false);
  return CRhinoCommand::success;
}

CRhinoCommand::result SaveCommand(const CRhinoCommandContext& c) {
  std::wstring name = c.m_doc.FileName().Array();
  if (name.empty()) {
    auto asked = AskString(L"File name to save");
    if (!asked) return CRhinoCommand::cancel;
    name = *asked;
  }
  return SaveTo(c.m_doc, name);
}

CRhinoCommand::result SaveAsCommand(const CRhinoCommandContext& c) {
  auto name = AskString(L"File name to save");
  if (!name) return CRhinoCommand::cancel;
  return SaveTo(c.m_doc, *name);
}

CRhinoCommand::result ExportCommand(const CRhinoCommandContext& c) {
  auto objects = AskObjects(L"Select objects to export");
  if (!objects) return CRhinoCommand::cancel;
  auto name = AskString(L"File name to export");
  if (!name) return CRhinoCommand::cancel;
  for (const CRhinoObject* o : *objects)
    const_cast<CRhinoObject*>(o)->Select(true, true, true, false);
  CRhinoSaveAndRestoreAppFileWriteOptions keep;
  RhinoApp().FileWriteOptions().SetWriteSelectedDefaults();
  bool ok = c.m_doc.SaveDocument(name->c_str(), false);
  keep.Restore();
  return ok ? CRhinoCommand::success : CRhinoCommand::failure;
}

CRhinoCommand::result ListCommand(const CRhinoCommandContext& c) {
  int n = 0;
  for (const CRhinoObject* o : c.m_doc.ObjectList()) {
    if (!o || o->IsDeleted()) continue;
    const ON_3dmObjectAttributes& a = o->Attributes();
    std::wstring layer =
        (a.m_layer_index >= 0 && a.m_layer_index < c.m_doc.LayerTable().LayerCount())
            ? std::wstring(c.m_doc.LayerTable()[a.m_layer_index].Name().Array())
            : L"?";
    std::wstring line = std::wstring(ON_UuidToString(a.m_uuid).Array()) + L"  name=\"" +
                        a.m_name.Array() + L"\"  type=" + TypeName(*o) + L"  layer=\"" + layer +
                        L"\"  state=" + ModeText(*o);
    for (const auto& [key, value] : a.UserStrings())
      line += std::wstring(L"  ") + key.Array() + L"=\"" + value.Array() + L"\"";
    Say(line);
    ++n;
  }
  Say(std::to_wstring(n) + L" objects.");
  return CRhinoCommand::success;
}

CRhinoCommand::result ExitCommand(const CRhinoCommandContext&) {
  HostSession::Instance().Input().RequestExit();
  return CRhinoCommand::success;
}

} // namespace

void AddFileCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"Open", false, OpenCommand));
  out.push_back(std::make_unique<HostCommand>(L"Import", true, ImportCommand));
  out.push_back(std::make_unique<HostCommand>(L"Save", false, SaveCommand));
  out.push_back(std::make_unique<HostCommand>(L"SaveAs", false, SaveAsCommand));
  out.push_back(std::make_unique<HostCommand>(L"Export", false, ExportCommand));
  out.push_back(std::make_unique<HostCommand>(L"List", false, ListCommand));
  out.push_back(std::make_unique<HostCommand>(L"Exit", false, ExitCommand));
}

} // namespace kyrel::app
