#pragma once
// Plug-ins: the base classes a plug-in's static plug-in object derives
// from, and the profile context through which it keeps settings.
//
// A plug-in module holds exactly one static object of a class derived from
// CRhinoUtilityPlugIn (or another CRhinoPlugIn class). Its constructor
// records the object with the module that holds it; the host's loader
// (rhino_plugin_manager.h) finds it there after loading the module.

#include <string>

#include "mfc_string.h"
#include "opennurbs.h"
#include "win_types.h"

// The host's profile: string entries in sections, kept in the profile file
// ($KYREL_PROFILE, else $XDG_CONFIG_HOME/kyrel/profile.json).
class CRhinoProfileContext {
public:
  CRhinoProfileContext() = default;
  virtual ~CRhinoProfileContext() = default;
  // The entry's text; false (value emptied) when the entry is absent.
  virtual bool LoadProfileString(const wchar_t* section, const wchar_t* entry,
                                 ON_wString& value) const;
  bool LoadProfileString(const wchar_t* section, const wchar_t* entry, CString& value) const;
  virtual bool SaveProfileString(const wchar_t* section, const wchar_t* entry,
                                 const wchar_t* value);
  // The file the entries live in.
  static std::string ProfilePath();
};

class CRhinoPlugIn : public ON_Object {
public:
  enum plugin_type : int {
    unknown_plugin_type = 0,
    render_plugin = 1,
    file_import_plugin = 2,
    file_export_plugin = 4,
    digitizer_plugin = 8,
    utility_plugin = 16,
    display_pipeline_plugin = 32,
    display_engine_plugin = 64,
  };
  enum plugin_load_time : int {
    load_plugin_disabled = 0,
    load_plugin_at_startup = 1,
    load_plugin_when_needed = 2,
    load_plugin_when_needed_ignore_docking = 6,
  };

  CRhinoPlugIn();
  CRhinoPlugIn(const CRhinoPlugIn&) = delete;
  CRhinoPlugIn& operator=(const CRhinoPlugIn&) = delete;
  ~CRhinoPlugIn() override;

  // ---- virtual operations after the object part; this order is relied on ----
  virtual ON_UUID PlugInID() const = 0;
  virtual const wchar_t* PlugInName() const = 0;
  virtual const wchar_t* LocalPlugInName() const { return PlugInName(); }
  virtual const wchar_t* PlugInVersion() const = 0;
  virtual plugin_type PlugInType() const = 0;
  // True when the plug-in is ready; false makes the host unload it.
  virtual BOOL OnLoadPlugIn() { return TRUE; }
  virtual const wchar_t* OnLoadPlugInErrorString() { return L"The plug-in failed to load."; }
  virtual BOOL ScaleDialogFont() { return TRUE; }
  virtual void OnSaveAllSettings() {}
  virtual void OnUnloadPlugIn() {}
  virtual void LoadProfile(const wchar_t* section, CRhinoProfileContext& context);
  virtual void SaveProfile(const wchar_t* section, CRhinoProfileContext& context);
  virtual BOOL GetPlugInRegistryKey(ON_wString& key) const;
  virtual BOOL OnRegisterPlugIn() { return TRUE; }
  virtual plugin_load_time PlugInLoadTime() { return load_plugin_when_needed; }
  virtual BOOL AddToPlugInHelpMenu() const { return FALSE; }
  virtual BOOL OnDisplayPlugInHelp(HWND) const { return FALSE; }
  virtual void OnInitPlugInMenuPopups(WPARAM, LPARAM) {}
  virtual BOOL GetMenuMessageString(int, ON_wString&) const { return FALSE; }
  virtual BOOL OnPlugInMenuCommand(WPARAM) { return FALSE; }
  virtual BOOL CallWriteDocument() { return FALSE; }
  virtual BOOL SaveAsV3() { return FALSE; }
  virtual BOOL WriteDocument() { return FALSE; }
  virtual BOOL ReadDocument() { return FALSE; }
  virtual void AddPagesToObjectPropertiesDialog() {}
  virtual void AddPagesToDocumentPropertiesDialog() {}
  virtual void RemoveDocumentPropertiesDialogTabs() {}
  virtual void AddPagesToOptionsDialog() {}
  virtual void* GetPlugInObjectInterface(const ON_UUID&) { return nullptr; }
  virtual LRESULT PlugInProc(UINT, WPARAM, LPARAM) { return 0; }

  // The module (shared library) that holds this object.
  HMODULE Module() const { return m_module; }

private:
  HMODULE m_module = nullptr;
};

class CRhinoUtilityPlugIn : public CRhinoPlugIn {
public:
  plugin_type PlugInType() const override { return utility_plugin; }
  virtual LRESULT UtilityPlugInProc(UINT, WPARAM, LPARAM) { return 0; }
};
