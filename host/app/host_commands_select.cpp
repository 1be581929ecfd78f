// SelAll, SelNone, SelName, SelId, SelPoint, SelIfc.

#include <cwctype>

#include "host_commands.h"
#include "ifc_import.h"
#include "win_strings.h"

namespace kyrel::app {

namespace {
bool Selectable(const CRhinoObject* o) {
  return o && !o->IsDeleted() && o->IsVisible() && !o->IsLocked();
}

CRhinoCommand::result SelAllCommand(const CRhinoCommandContext& c) {
  int n = 0;
  for (CRhinoObject* o : c.m_doc.ObjectList())
    if (Selectable(o) && o->Select(true, true, true, false)) ++n;
  Say(std::to_wstring(n) + L" objects selected.");
  return CRhinoCommand::success;
}

CRhinoCommand::result SelNoneCommand(const CRhinoCommandContext& c) {
  c.m_doc.UnselectAll();
  return CRhinoCommand::success;
}

CRhinoCommand::result SelNameCommand(const CRhinoCommandContext& c) {
  auto name = AskString(L"Name of the objects to select");
  if (!name) return CRhinoCommand::cancel;
  int n = 0;
  for (CRhinoObject* o : c.m_doc.ObjectList())
    if (Selectable(o) && kyrel::platform::EqualsNoCase(o->Attributes().m_name.StdString(), *name) &&
        o->Select(true, true, true, false))
      ++n;
  Say(std::to_wstring(n) + L" objects named \"" + *name + L"\" selected.");
  if (n == 0) {
    Complain(L"No object is named \"" + *name + L"\".");
    return CRhinoCommand::nothing;
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result SelIdCommand(const CRhinoCommandContext& c) {
  auto text = AskString(L"Id of the object to select");
  if (!text) return CRhinoCommand::cancel;
  ON_UUID id = ON_nil_uuid;
  if (!ON_UuidFromString(text->c_str(), id)) {
    Complain(L"\"" + *text + L"\" is not an object id.");
    return CRhinoCommand::failure;
  }
  CRhinoObject* o = c.m_doc.LookupObject(id);
  if (!Selectable(o)) {
    Complain(L"No selectable object has the id " + *text + L".");
    return CRhinoCommand::nothing;
  }
  o->Select(true, true, true, false);
  return CRhinoCommand::success;
}

// Whether `text` matches `pattern`, where * stands for any run of
// characters and ? for one, without regard to case.
bool Matches(const std::wstring& pattern, const std::wstring& text) {
  std::size_t p = 0, t = 0, star = std::wstring::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() &&
        (pattern[p] == L'?' || std::towlower(pattern[p]) == std::towlower(text[t]))) {
      ++p;
      ++t;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      resume = t;
    } else if (star != std::wstring::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*')
    ++p;
  return p == pattern.size();
}

// Building elements by what BIM users name them by: their IFC class
// ("IfcDuct*"), storey ("Level 1"), source file or GlobalId.
CRhinoCommand::result SelIfcCommand(const CRhinoCommandContext& c) {
  auto pattern = AskString(L"IFC class, storey, file or GlobalId of the elements to select (* and "
                           L"? match any text)");
  if (!pattern) return CRhinoCommand::cancel;
  int n = 0;
  for (CRhinoObject* o : c.m_doc.ObjectList()) {
    if (!Selectable(o)) continue;
    bool hit = false;
    for (const wchar_t* key : {kIfcClassKey, kIfcStoreyKey, kIfcSourceFileKey, kIfcGlobalIdKey}) {
      ON_wString value;
      if (o->Attributes().GetUserString(key, value) && Matches(*pattern, value.Array())) hit = true;
    }
    if (hit && o->Select(true, true, true, false)) ++n;
  }
  Say(std::to_wstring(n) + L" building elements matching \"" + *pattern + L"\" selected.");
  if (n == 0) {
    Complain(L"No building element's class, storey, file or GlobalId matches \"" + *pattern +
             L"\".");
    return CRhinoCommand::nothing;
  }
  return CRhinoCommand::success;
}

CRhinoCommand::result SelPointCommand(const CRhinoCommandContext&) {
  auto x = AskNumber(L"Pixel column", false);
  if (!x) return CRhinoCommand::cancel;
  auto y = AskNumber(L"Pixel row", false);
  if (!y) return CRhinoCommand::cancel;
  CRhinoView* view = ActiveView();
  if (!view) {
    Complain(L"There is no view to pick in.");
    return CRhinoCommand::failure;
  }
  // A person clicks on what the view shows now: a model changed since the
  // last frame (an object moved) is drawn first, so the pick filters judge
  // the display's state of the model as it is.
  view->Redraw();
  // The view's picking runs every registered pick filter on each hit.
  std::vector<CRhinoPickHit> hits = view->Pick(static_cast<int>(*x), static_cast<int>(*y));
  for (const CRhinoPickHit& hit : hits) {
    if (!hit.m_object || !Selectable(hit.m_object)) continue;
    const_cast<CRhinoObject*>(hit.m_object)->Select(true, true, true, false);
    Say(L"Picked " + std::wstring(ON_UuidToString(hit.m_object->ModelObjectId()).Array()) + L" \"" +
        hit.m_object->Attributes().m_name.Array() + L"\".");
    return CRhinoCommand::success;
  }
  Say(L"Nothing picked.");
  return CRhinoCommand::nothing;
}

} // namespace

void AddSelectionCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"SelAll", false, SelAllCommand));
  out.push_back(std::make_unique<HostCommand>(L"SelNone", false, SelNoneCommand));
  out.push_back(std::make_unique<HostCommand>(L"SelName", false, SelNameCommand));
  out.push_back(std::make_unique<HostCommand>(L"SelId", false, SelIdCommand));
  out.push_back(std::make_unique<HostCommand>(L"SelPoint", false, SelPointCommand));
  out.push_back(std::make_unique<HostCommand>(L"SelIfc", false, SelIfcCommand));
}

} // namespace kyrel::app
