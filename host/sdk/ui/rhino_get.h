#pragma once
// Getters: how commands ask the user for options, objects, points, numbers
// and strings. Answers come from the host's command line (see
// rhino_command_input.h): option names and values by their English names
// without regard to case ("_Mode _None" or "Mode=None"), "_Enter" for
// Enter, "!" for Escape, numbers, "x,y,z" points and quoted strings.
//
// Every prompt is shown as the host shows it: the prompt, then the options
// with their current values, "Mirror Plane ( Enabled=Off  Position  Direction )".

#include <string>
#include <vector>

#include "opennurbs.h"
#include "rhino_command.h"
#include "rhino_objref.h"

class CRhinoDoc;
struct CRhinoMacroToken;

class CRhinoCommandOptionName {
public:
  CRhinoCommandOptionName(const wchar_t* english_name,
                          const wchar_t* local_name = nullptr) // NOLINT
      : m_english(english_name ? english_name : L""),
        m_local(local_name ? local_name : (english_name ? english_name : L"")) {}
  std::wstring m_english;
  std::wstring m_local;
};

class CRhinoCommandOptionValue {
public:
  CRhinoCommandOptionValue() = default; // an option without a value
  CRhinoCommandOptionValue(const wchar_t* english_value,
                           const wchar_t* local_value = nullptr) // NOLINT
      : m_english(english_value ? english_value : L""),
        m_local(local_value ? local_value : (english_value ? english_value : L"")) {}
  bool IsEmpty() const { return m_english.empty(); }
  std::wstring m_english;
  std::wstring m_local;
};

// One option of a getter, as reported by CRhinoGet::Option().
class CRhinoCommandOption {
public:
  enum option_type : int {
    simple_option = 0,
    list_option = 1,
    toggle_option = 2,
    number_option = 3
  };
  const wchar_t* EnglishOptionName() const { return m_english_name.c_str(); }
  const wchar_t* LocalOptionName() const { return m_local_name.c_str(); }

  option_type m_type = simple_option;
  int m_option_index = 0; // as returned by AddCommandOption... (1, 2, ...)
  std::wstring m_english_name;
  std::wstring m_local_name;
  std::wstring m_simple_value; // simple option's value, or empty
  std::vector<CRhinoCommandOptionValue> m_list_values;
  int m_list_option_current = -1; // list option: index of the chosen (or current) value
  CRhinoCommandOptionValue m_toggle_off;
  CRhinoCommandOptionValue m_toggle_on;
  bool m_toggle_value = false;     // toggle option: its value (after the flip)
  bool* m_toggle_target = nullptr; // not owned
  double m_number_value = 0.0;
  double* m_number_target = nullptr; // not owned
};

class CRhinoGet {
public:
  enum result : int {
    no_result = 0,
    cancel = 1,
    nothing = 2,
    option = 3,
    number = 4,
    point = 5,
    object = 6,
    string = 7,
  };

  CRhinoGet() = default;
  virtual ~CRhinoGet() = default;
  CRhinoGet(const CRhinoGet&) = delete;
  CRhinoGet& operator=(const CRhinoGet&) = delete;

  void SetCommandPrompt(const wchar_t* prompt) { m_prompt = prompt ? prompt : L""; }
  void SetCommandPromptDefault(const wchar_t* text) { m_prompt_default = text ? text : L""; }
  const wchar_t* CommandPrompt() const { return m_prompt.c_str(); }
  void AcceptNothing(bool bAcceptNothing = true) { m_bAcceptNothing = bAcceptNothing; }
  void AcceptNumber(bool bAcceptNumber = true) { m_bAcceptNumber = bAcceptNumber; }
  void AcceptString(bool bAcceptString = true) { m_bAcceptString = bAcceptString; }

  // Options; each returns the option's index (1, 2, ...), 0 on bad input.
  int AddCommandOption(const CRhinoCommandOptionName& name,
                       const CRhinoCommandOptionValue& value = CRhinoCommandOptionValue());
  int AddCommandOptionList(const CRhinoCommandOptionName& name, int count,
                           const CRhinoCommandOptionValue* values, int current);
  // Choosing the option flips *value (when given) before the getter returns.
  int AddCommandOptionToggle(const CRhinoCommandOptionName& name,
                             const CRhinoCommandOptionValue& off_value,
                             const CRhinoCommandOptionValue& on_value, bool current, bool* value);
  int AddCommandOptionNumber(const CRhinoCommandOptionName& name, double* value);
  void ClearCommandOptions() { m_options.clear(); }
  int OptionCount() const { return static_cast<int>(m_options.size()); }

  result Result() const { return m_result; }
  // The option chosen by the last get, or null.
  const CRhinoCommandOption* Option() const { return m_result == option ? &m_chosen : nullptr; }
  double Number() const { return m_number; }
  ON_3dPoint Point() const { return m_point; }
  const wchar_t* String() const { return m_string.c_str(); }
  // The last result as a command result: cancel for Escape, nothing for
  // Enter, success otherwise.
  CRhinoCommand::result CommandResult() const;

  // The prompt line as it is shown ("Prompt ( A=1  B ):").
  std::wstring PromptLine() const;

protected:
  // What a derived getter makes of a token; true when it ended the get
  // (with *r set), false to let the base treat it.
  virtual bool HandleToken(const CRhinoMacroToken& token, result* r);
  virtual bool AcceptsPoints() const { return false; }
  // Runs the prompt until an answer ends it.
  result Get();
  void SetResult(result r) { m_result = r; }

  std::wstring m_prompt;
  std::wstring m_prompt_default;
  bool m_bAcceptNothing = false;
  bool m_bAcceptNumber = false;
  bool m_bAcceptString = false;
  std::vector<CRhinoCommandOption> m_options;
  CRhinoCommandOption m_chosen;
  result m_result = no_result;
  double m_number = 0.0;
  ON_3dPoint m_point = ON_3dPoint(0, 0, 0);
  std::wstring m_string;

private:
  bool ChooseOption(CRhinoCommandOption& option, const std::wstring& value_text, bool has_value);
};

// Options only.
class CRhinoGetOption : public CRhinoGet {
public:
  // option, nothing (Enter, when accepted), number / string (when
  // accepted) or cancel.
  result GetOption();
};

// Strings, for file names and names: a quoted string or a bare word.
class CRhinoGetString : public CRhinoGet {
public:
  result GetString();

protected:
  bool HandleToken(const CRhinoMacroToken& token, result* r) override;
};

class CRhinoGetNumber : public CRhinoGet {
public:
  result GetNumber();
};

class CRhinoGetPoint : public CRhinoGet {
public:
  CRhinoGetPoint();
  // A rubber-band line from base while the point is picked.
  void DrawLineFromPoint(const ON_3dPoint& base, bool bShowDistanceInStatusBar);
  bool IsDrawingLineFromPoint() const { return m_bDrawLine; }
  ON_3dPoint LineBase() const { return m_line_base; }
  // point, option, nothing (when accepted) or cancel.
  result GetPoint();

protected:
  bool AcceptsPoints() const override { return true; }
  bool m_bDrawLine = false;
  ON_3dPoint m_line_base = ON_3dPoint(0, 0, 0);
};

// One point: success with the point, nothing for Enter (when
// bAcceptNothing), cancel otherwise; point is changed only on success.
CRhinoCommand::result RhinoGetPoint(const wchar_t* prompt, bool bAcceptNothing, ON_3dPoint& point);

class CRhinoGetObject : public CRhinoGet {
public:
  // Geometry filter bits (ObjectType values, plus the polysurface filter:
  // breps of several faces; "surface" means a brep of one face).
  enum geometry_type_filter : unsigned int {
    point_object = 0x1,
    curve_object = 0x4,
    surface_object = 0x8,
    polysrf_object = 0x10,
    mesh_object = 0x20,
    instance_reference = 0x1000,
    clipplane_object = 0x20000000,
    polysrf_filter = 0x200000,
  };
  // Geometry attribute filter bits. For a family whose bits are in the
  // filter (surfaces 0x300, polysurfaces 0x30000, meshes 0xC0000) only the
  // named closedness passes; other families are not restricted.
  enum geometry_attribute_filter : unsigned int {
    open_surface = 0x100,
    closed_surface = 0x200,
    open_polysrf = 0x10000,
    closed_polysrf = 0x20000,
    open_mesh = 0x40000,
    closed_mesh = 0x80000,
  };

  void SetGeometryFilter(unsigned int filter) { m_geometry_filter = filter; }
  void SetGeometryAttributeFilter(unsigned int filter) { m_attribute_filter = filter; }
  void EnableSubObjectSelect(bool bEnable = true) { m_bSubObjects = bEnable; }
  void EnablePreSelect(bool bEnable = true) { m_bPreSelect = bEnable; }
  bool SubObjectSelectEnabled() const { return m_bSubObjects; }
  unsigned int GeometryFilter() const { return m_geometry_filter; }
  unsigned int GeometryAttributeFilter() const { return m_attribute_filter; }

  // Selected objects that pass the filters are taken at once (a "_Pause"
  // waiting for them is used up); otherwise the user answers: "_Pause" or
  // Enter take the current selection, names or ids pick objects (one token
  // or several in a row; the token after them, an Enter included, is left
  // for the next prompt). max 0: no upper limit. object, option, nothing or
  // cancel.
  result GetObjects(int min_count = 1, int max_count = 1);
  int ObjectCount() const { return static_cast<int>(m_objects.size()); }
  // The i-th chosen object; an empty reference when i is out of range.
  const CRhinoObjRef& Object(int i) const;
  // Whether the object passes the geometry and attribute filters.
  bool PassesFilter(const CRhinoObject* object) const;

protected:
  bool HandleToken(const CRhinoMacroToken& token, result* r) override;

private:
  std::vector<const CRhinoObject*> Candidates(bool bSelectedOnly) const;
  bool TakeSelection(result* r);
  unsigned int m_geometry_filter = 0;
  unsigned int m_attribute_filter = 0;
  bool m_bSubObjects = true;
  bool m_bPreSelect = true;
  int m_min = 1;
  int m_max = 1;
  std::vector<CRhinoObjRef> m_objects;
};
