// Getters on the host's command line.

#include "rhino_get.h"

#include <cwctype>

#include "rhino_app.h"
#include "rhino_brep_object.h"
#include "rhino_command_input.h"
#include "rhino_doc.h"
#include "rhino_mesh_object.h"

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i])))
      return false;
  return true;
}

std::wstring Strip(const std::wstring& text) {
  return !text.empty() && text[0] == L'_' ? text.substr(1) : text;
}

std::wstring FormatNumber(double v) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%g", v);
  return buffer;
}

std::wstring OptionText(const CRhinoCommandOption& o) {
  switch (o.m_type) {
  case CRhinoCommandOption::list_option:
    if (o.m_list_option_current >= 0 &&
        o.m_list_option_current < static_cast<int>(o.m_list_values.size()))
      return o.m_local_name + L"=" +
             o.m_list_values[static_cast<std::size_t>(o.m_list_option_current)].m_local;
    return o.m_local_name;
  case CRhinoCommandOption::toggle_option:
    return o.m_local_name + L"=" +
           (o.m_toggle_value ? o.m_toggle_on.m_local : o.m_toggle_off.m_local);
  case CRhinoCommandOption::number_option:
    return o.m_local_name + L"=" + FormatNumber(o.m_number_value);
  case CRhinoCommandOption::simple_option:
    return o.m_simple_value.empty() ? o.m_local_name : o.m_local_name + L"=" + o.m_simple_value;
  }
  return o.m_local_name;
}

} // namespace

// ---- CRhinoGet ----

int CRhinoGet::AddCommandOption(const CRhinoCommandOptionName& name,
                                const CRhinoCommandOptionValue& value) {
  if (name.m_english.empty()) return 0;
  CRhinoCommandOption o;
  o.m_type = CRhinoCommandOption::simple_option;
  o.m_english_name = name.m_english;
  o.m_local_name = name.m_local;
  o.m_simple_value = value.m_local;
  o.m_option_index = static_cast<int>(m_options.size()) + 1;
  m_options.push_back(o);
  return o.m_option_index;
}

int CRhinoGet::AddCommandOptionList(const CRhinoCommandOptionName& name, int count,
                                    const CRhinoCommandOptionValue* values, int current) {
  if (name.m_english.empty() || count <= 0 || !values) return 0;
  CRhinoCommandOption o;
  o.m_type = CRhinoCommandOption::list_option;
  o.m_english_name = name.m_english;
  o.m_local_name = name.m_local;
  o.m_list_values.assign(values, values + count);
  o.m_list_option_current = (current >= 0 && current < count) ? current : -1;
  o.m_option_index = static_cast<int>(m_options.size()) + 1;
  m_options.push_back(o);
  return o.m_option_index;
}

int CRhinoGet::AddCommandOptionToggle(const CRhinoCommandOptionName& name,
                                      const CRhinoCommandOptionValue& off_value,
                                      const CRhinoCommandOptionValue& on_value, bool current,
                                      bool* value) {
  if (name.m_english.empty()) return 0;
  CRhinoCommandOption o;
  o.m_type = CRhinoCommandOption::toggle_option;
  o.m_english_name = name.m_english;
  o.m_local_name = name.m_local;
  o.m_toggle_off = off_value;
  o.m_toggle_on = on_value;
  o.m_toggle_value = current;
  o.m_toggle_target = value;
  o.m_option_index = static_cast<int>(m_options.size()) + 1;
  m_options.push_back(o);
  return o.m_option_index;
}

int CRhinoGet::AddCommandOptionNumber(const CRhinoCommandOptionName& name, double* value) {
  if (name.m_english.empty()) return 0;
  CRhinoCommandOption o;
  o.m_type = CRhinoCommandOption::number_option;
  o.m_english_name = name.m_english;
  o.m_local_name = name.m_local;
  o.m_number_value = value ? *value : 0.0;
  o.m_number_target = value;
  o.m_option_index = static_cast<int>(m_options.size()) + 1;
  m_options.push_back(o);
  return o.m_option_index;
}

CRhinoCommand::result CRhinoGet::CommandResult() const {
  switch (m_result) {
  case cancel:
  case no_result:
    return CRhinoCommand::cancel;
  case nothing:
    return CRhinoCommand::nothing;
  default:
    return CRhinoCommand::success;
  }
}

std::wstring CRhinoGet::PromptLine() const {
  std::wstring line = m_prompt;
  if (!m_prompt_default.empty()) line += L" <" + m_prompt_default + L">";
  if (!m_options.empty()) {
    line += L" (";
    for (const auto& o : m_options)
      line += L" " + OptionText(o) + L" ";
    line += L")";
  }
  return line + L":";
}

bool CRhinoGet::HandleToken(const CRhinoMacroToken&, result*) {
  return false;
}

bool CRhinoGet::ChooseOption(CRhinoCommandOption& o, const std::wstring& value_text,
                             bool has_value) {
  CRhinoCommandInput& input = RhinoCommandInput();
  switch (o.m_type) {
  case CRhinoCommandOption::simple_option:
    return true;
  case CRhinoCommandOption::toggle_option: {
    bool now = !o.m_toggle_value;
    if (has_value) {
      std::wstring v = Strip(value_text);
      if (SameName(v, o.m_toggle_on.m_english) || SameName(v, o.m_toggle_on.m_local))
        now = true;
      else if (SameName(v, o.m_toggle_off.m_english) || SameName(v, o.m_toggle_off.m_local))
        now = false;
      else {
        input.Error(L"Unknown value \"" + value_text + L"\" for option " + o.m_english_name + L".");
        return false;
      }
    }
    o.m_toggle_value = now;
    if (o.m_toggle_target) *o.m_toggle_target = now;
    return true;
  }
  case CRhinoCommandOption::number_option: {
    if (has_value) {
      wchar_t* end = nullptr;
      double v = std::wcstod(value_text.c_str(), &end);
      if (!end || *end || value_text.empty()) {
        input.Error(L"\"" + value_text + L"\" is not a number.");
        return false;
      }
      o.m_number_value = v;
      if (o.m_number_target) *o.m_number_target = v;
      return true;
    }
    for (;;) {
      CRhinoMacroToken t;
      if (!input.NextToken(o.m_local_name + L" <" + FormatNumber(o.m_number_value) + L">:", t))
        return false;
      if (t.m_kind == CRhinoMacroToken::cancel) return false;
      if (t.m_kind == CRhinoMacroToken::enter) return true;
      if (t.m_kind == CRhinoMacroToken::number) {
        o.m_number_value = t.m_number;
        if (o.m_number_target) *o.m_number_target = t.m_number;
        return true;
      }
      if (t.m_kind == CRhinoMacroToken::pause) continue;
      input.Error(L"\"" + t.m_raw + L"\" is not a number.");
      if (!input.IsInteractive()) {
        input.PushFront(t);
        return false;
      }
    }
  }
  case CRhinoCommandOption::list_option: {
    auto find = [&](const std::wstring& text) {
      std::wstring v = Strip(text);
      for (std::size_t i = 0; i < o.m_list_values.size(); ++i)
        if (SameName(v, o.m_list_values[i].m_english) || SameName(v, o.m_list_values[i].m_local))
          return static_cast<int>(i);
      return -1;
    };
    if (has_value) {
      int i = find(value_text);
      if (i < 0) {
        input.Error(L"Unknown value \"" + value_text + L"\" for option " + o.m_english_name + L".");
        return false;
      }
      o.m_list_option_current = i;
      return true;
    }
    std::wstring prompt = o.m_local_name;
    if (o.m_list_option_current >= 0)
      prompt +=
          L" <" + o.m_list_values[static_cast<std::size_t>(o.m_list_option_current)].m_local + L">";
    prompt += L" (";
    for (const auto& v : o.m_list_values)
      prompt += L" " + v.m_local + L" ";
    prompt += L"):";
    for (;;) {
      CRhinoMacroToken t;
      if (!input.NextToken(prompt, t)) return false;
      if (t.m_kind == CRhinoMacroToken::cancel) return false;
      if (t.m_kind == CRhinoMacroToken::enter) return o.m_list_option_current >= 0;
      if (t.m_kind == CRhinoMacroToken::pause) continue;
      if (t.m_kind == CRhinoMacroToken::word || t.m_kind == CRhinoMacroToken::string) {
        int i = find(t.m_text);
        if (i >= 0) {
          o.m_list_option_current = i;
          return true;
        }
      }
      input.Error(L"Unknown value \"" + t.m_raw + L"\" for option " + o.m_english_name + L".");
      if (!input.IsInteractive()) {
        input.PushFront(t);
        return false;
      }
    }
  }
  }
  return false;
}

CRhinoGet::result CRhinoGet::Get() {
  CRhinoCommandInput& input = RhinoCommandInput();
  m_result = no_result;
  for (;;) {
    CRhinoMacroToken t;
    if (!input.NextToken(PromptLine(), t)) return m_result = cancel;
    result r = no_result;
    if (HandleToken(t, &r)) return m_result = r;
    switch (t.m_kind) {
    case CRhinoMacroToken::cancel:
      return m_result = cancel;
    case CRhinoMacroToken::enter:
      return m_result = m_bAcceptNothing ? nothing : cancel;
    case CRhinoMacroToken::pause:
      continue; // nothing to wait for here
    case CRhinoMacroToken::number:
      if (m_bAcceptNumber) {
        m_number = t.m_number;
        return m_result = number;
      }
      break;
    case CRhinoMacroToken::point:
      if (AcceptsPoints()) {
        m_point = t.m_point;
        return m_result = point;
      }
      break;
    case CRhinoMacroToken::string:
    case CRhinoMacroToken::word: {
      std::wstring name = t.m_text, value;
      bool has_value = false;
      if (t.m_kind == CRhinoMacroToken::word) {
        auto eq = name.find(L'=');
        if (eq != std::wstring::npos) {
          value = name.substr(eq + 1);
          name = name.substr(0, eq);
          has_value = true;
        }
      }
      for (auto& o : m_options) {
        if (!SameName(Strip(name), o.m_english_name) && !SameName(Strip(name), o.m_local_name))
          continue;
        if (!ChooseOption(o, value, has_value)) {
          if (has_value && input.IsInteractive()) goto next_token; // bad value: reported, ask again
          return m_result = cancel;
        }
        m_chosen = o;
        return m_result = option;
      }
      if (m_bAcceptString && t.m_kind == CRhinoMacroToken::string) {
        m_string = t.m_text;
        return m_result = string;
      }
      // A value of a list option stands for choosing that value.
      if (!has_value) {
        for (auto& o : m_options) {
          if (o.m_type != CRhinoCommandOption::list_option) continue;
          bool found = false;
          for (std::size_t k = 0; k < o.m_list_values.size() && !found; ++k) {
            if (SameName(Strip(name), o.m_list_values[k].m_english) ||
                SameName(Strip(name), o.m_list_values[k].m_local)) {
              o.m_list_option_current = static_cast<int>(k);
              found = true;
            }
          }
          if (found) {
            m_chosen = o;
            return m_result = option;
          }
        }
      }
      break;
    }
    }
    input.Error((m_options.empty() ? L"Unknown input " : L"Unknown option ") + t.m_raw + L" at \"" +
                m_prompt + L"\".");
    if (!input.IsInteractive()) {
      // A script does not get to try again: the command is cancelled and
      // the token is left for the command line, which may know it.
      input.PushFront(t);
      return m_result = cancel;
    }
  next_token:;
  }
}

CRhinoGet::result CRhinoGetOption::GetOption() {
  return Get();
}

CRhinoGet::result CRhinoGetString::GetString() {
  m_bAcceptString = true;
  return Get();
}

bool CRhinoGetString::HandleToken(const CRhinoMacroToken& t, result* r) {
  // Options first (a bare word that names one chooses it), then any word.
  if (t.m_kind == CRhinoMacroToken::string || (t.m_kind == CRhinoMacroToken::number)) {
    m_string = t.m_kind == CRhinoMacroToken::string ? t.m_text : t.m_raw;
    *r = string;
    return true;
  }
  if (t.m_kind == CRhinoMacroToken::word) {
    for (const auto& o : m_options)
      if (SameName(Strip(t.m_text.substr(0, t.m_text.find(L'='))), o.m_english_name)) return false;
    m_string = t.m_bUnderscore ? L"_" + t.m_text : t.m_text;
    *r = string;
    return true;
  }
  return false;
}

CRhinoGet::result CRhinoGetNumber::GetNumber() {
  m_bAcceptNumber = true;
  return Get();
}

// ---- points ----

CRhinoGetPoint::CRhinoGetPoint() {
  m_prompt = L"Point";
}

void CRhinoGetPoint::DrawLineFromPoint(const ON_3dPoint& base, bool) {
  m_bDrawLine = true;
  m_line_base = base;
}

CRhinoGet::result CRhinoGetPoint::GetPoint() {
  return Get();
}

CRhinoCommand::result RhinoGetPoint(const wchar_t* prompt, bool bAcceptNothing, ON_3dPoint& point) {
  CRhinoGetPoint gp;
  gp.SetCommandPrompt(prompt);
  gp.AcceptNothing(bAcceptNothing);
  CRhinoGet::result r = gp.GetPoint();
  if (r == CRhinoGet::point) {
    point = gp.Point();
    return CRhinoCommand::success;
  }
  return r == CRhinoGet::nothing ? CRhinoCommand::nothing : CRhinoCommand::cancel;
}

// ---- objects ----

bool CRhinoGetObject::PassesFilter(const CRhinoObject* object) const {
  if (!object || object->IsDeleted() || object->IsHidden() || object->IsLocked()) return false;
  const unsigned int type = static_cast<unsigned int>(object->ObjectType());
  unsigned int family_bits = 0; // attribute bits of the object's family
  bool closed = false;
  bool type_ok = m_geometry_filter == 0;
  if (const auto* brep_object = dynamic_cast<const CRhinoBrepObject*>(object)) {
    const ON_Brep* brep = brep_object->Brep();
    bool single = brep && brep->FaceCount() == 1;
    closed = brep && brep->IsSolid();
    family_bits = single ? (open_surface | closed_surface) : (open_polysrf | closed_polysrf);
    if (!type_ok)
      type_ok = single ? (m_geometry_filter & surface_object) != 0
                       : (m_geometry_filter & (polysrf_object | polysrf_filter)) != 0;
  } else {
    if (const auto* mesh_object = dynamic_cast<const CRhinoMeshObject*>(object)) {
      family_bits = open_mesh | closed_mesh;
      closed = mesh_object->Mesh() && mesh_object->Mesh()->IsClosed();
    }
    if (!type_ok) type_ok = (m_geometry_filter & type) != 0;
  }
  if (!type_ok) return false;
  unsigned int asked = m_attribute_filter & family_bits;
  if (asked == 0) return true;
  unsigned int wanted = family_bits & (closed ? (closed_surface | closed_polysrf | closed_mesh)
                                              : (open_surface | open_polysrf | open_mesh));
  return (asked & wanted) != 0;
}

std::vector<const CRhinoObject*> CRhinoGetObject::Candidates(bool bSelectedOnly) const {
  std::vector<const CRhinoObject*> out;
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) return out;
  for (const CRhinoObject* o : doc->ObjectList()) {
    if (!o || o->IsDeleted() || o->IsReference()) continue;
    if (bSelectedOnly && !o->IsSelected()) continue;
    if (PassesFilter(o)) out.push_back(o);
  }
  return out;
}

bool CRhinoGetObject::TakeSelection(result* r) {
  auto selected = Candidates(true);
  if (selected.empty() || static_cast<int>(selected.size()) < m_min) return false;
  if (m_max > 0 && static_cast<int>(selected.size()) > m_max)
    selected.resize(static_cast<std::size_t>(m_max));
  m_objects.clear();
  for (const CRhinoObject* o : selected)
    m_objects.emplace_back(o);
  *r = object;
  return true;
}

CRhinoGet::result CRhinoGetObject::GetObjects(int min_count, int max_count) {
  m_min = min_count < 0 ? 0 : min_count;
  m_max = max_count < 0 ? 0 : max_count;
  m_objects.clear();
  result r = no_result;
  if (m_bPreSelect && TakeSelection(&r)) {
    CRhinoMacroToken t;
    if (RhinoCommandInput().PeekToken(t) && t.m_kind == CRhinoMacroToken::pause)
      RhinoCommandInput().NextToken(L"", t);
    return m_result = r;
  }
  return Get();
}

bool CRhinoGetObject::HandleToken(const CRhinoMacroToken& t, result* r) {
  CRhinoCommandInput& input = RhinoCommandInput();
  if (t.m_kind == CRhinoMacroToken::pause || t.m_kind == CRhinoMacroToken::enter) {
    if (TakeSelection(r)) return true;
    if (t.m_kind == CRhinoMacroToken::pause) {
      input.Error(L"No selected object fits \"" + m_prompt + L"\".");
      *r = cancel;
      return true;
    }
    *r = m_bAcceptNothing ? nothing : cancel;
    return true;
  }
  if (t.m_kind != CRhinoMacroToken::word && t.m_kind != CRhinoMacroToken::string) return false;
  if (t.m_kind == CRhinoMacroToken::word) {
    for (const auto& o : m_options)
      if (SameName(Strip(t.m_text.substr(0, t.m_text.find(L'='))), o.m_english_name)) return false;
  }
  // Names and ids pick objects; more names may follow, anything else ends
  // the picking and is left for the next prompt.
  std::vector<const CRhinoObject*> picked;
  ON_UUID id = ON_nil_uuid;
  bool is_id = ON_UuidFromString(t.m_text.c_str(), id) && ON_UuidIsNotNil(id);
  for (const CRhinoObject* o : Candidates(false)) {
    if ((is_id && o->ModelObjectId() == id) ||
        (!is_id && SameName(o->Attributes().m_name.StdString(), t.m_text)))
      picked.push_back(o);
  }
  if (picked.empty()) return false; // the base reports it as unknown input
  for (const CRhinoObject* o : picked) {
    bool dup = false;
    for (const auto& ref : m_objects)
      dup = dup || ref.Object() == o;
    if (!dup && (m_max == 0 || static_cast<int>(m_objects.size()) < m_max))
      m_objects.emplace_back(o);
  }
  CRhinoMacroToken next;
  if (input.PeekToken(next) &&
      (next.m_kind == CRhinoMacroToken::word || next.m_kind == CRhinoMacroToken::string)) {
    // Another name? Only if it names an object; otherwise it is for later.
    bool names_object = false;
    for (const CRhinoObject* o : Candidates(false))
      names_object = names_object || SameName(o->Attributes().m_name.StdString(), next.m_text);
    if (names_object && (m_max == 0 || static_cast<int>(m_objects.size()) < m_max)) {
      input.NextToken(L"", next);
      return HandleToken(next, r);
    }
  }
  // A following Enter is not taken as the end of the picking: it answers
  // whatever the command asks next, so one Enter in a macro is one answer.
  if (static_cast<int>(m_objects.size()) < m_min) {
    *r = cancel;
    return true;
  }
  *r = object;
  return true;
}

const CRhinoObjRef& CRhinoGetObject::Object(int i) const {
  static const CRhinoObjRef empty;
  return (i >= 0 && i < ObjectCount()) ? m_objects[static_cast<std::size_t>(i)] : empty;
}
