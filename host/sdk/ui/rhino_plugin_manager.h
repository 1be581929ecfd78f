#pragma once
// The host's plug-in loader.
//
// Loading a module: dlopen by path; the information exports read by their
// plain names (RhinoPlugInSdkVersion, RhinoPlugInName, RhinoPlugInId,
// RhinoPlugInVersion, ...); the plug-in object that the module's static
// constructor recorded; the module's application object's InitInstance;
// the load notification; LoadProfile. At the end: SaveProfile, the unload
// notification, the end of background work, the application's
// ExitInstance and dlclose, newest first.

#include <string>
#include <vector>

#include "rhino_plugin.h"

// The SDK version plug-ins are built against; modules that export another
// are refused.
constexpr int kRhinoPlugInSdkVersion = 201103035;
constexpr int kRhinoPlugInSdkServiceRelease = 201209275;

struct CRhinoLoadedPlugIn {
  std::string m_path;
  void* m_handle = nullptr;         // dlopen handle
  CRhinoPlugIn* m_plugin = nullptr; // lives in the module
  std::wstring m_export_name;       // RhinoPlugInName
  std::wstring m_export_id;         // RhinoPlugInId
  std::string m_export_version;     // RhinoPlugInVersion
  std::wstring m_update_url;        // RhinoPlugInUpdateURL, may be empty
};

class CRhinoPlugInManager {
public:
  static CRhinoPlugInManager& Instance();

  // Loads the module and its plug-in; null with a reason in `error` when
  // the module cannot be loaded, is not a plug-in, is already loaded, or
  // its initialisation or load notification fails (it is unloaded again).
  CRhinoPlugIn* LoadPlugIn(const std::string& path, std::string& error);
  // SaveProfile of every plug-in into the profile file.
  void SaveProfiles();
  // Saves profiles, tells every plug-in it is unloaded, ends every
  // registered background work and unloads the modules, newest first.
  // `before_unload` runs between the notifications and dlclose (the host
  // destroys its dock bars and documents there, while the plug-ins' code is
  // still loaded).
  void UnloadAll(void (*before_unload)() = nullptr);
  const std::vector<CRhinoLoadedPlugIn>& PlugIns() const { return m_loaded; }
  CRhinoPlugIn* Find(const ON_UUID& id) const;

  // The profile section of a plug-in: "Plug-ins\{id}".
  static std::wstring ProfileSection(const CRhinoPlugIn& plugin);

  // Host-internal: plug-in objects record and unrecord themselves here.
  static void Record(CRhinoPlugIn* plugin);
  static void Unrecord(CRhinoPlugIn* plugin);

private:
  std::vector<CRhinoLoadedPlugIn> m_loaded;
};
