// Loading plug-in modules.

#include "rhino_plugin_manager.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>

#include "mfc_app.h"
#include "rhino_background_work.h"
#include "win_modules.h"
#include "win_strings.h"

using kyrel::platform::WideToUtf8;

namespace {

std::vector<CRhinoPlugIn*>& Recorded() {
  static auto* list = new std::vector<CRhinoPlugIn*>;
  return *list;
}

template <class T> T Export(void* handle, const char* name) {
  return reinterpret_cast<T>(dlsym(handle, name));
}

} // namespace

CRhinoPlugInManager& CRhinoPlugInManager::Instance() {
  static auto* manager = new CRhinoPlugInManager;
  return *manager;
}

void CRhinoPlugInManager::Record(CRhinoPlugIn* plugin) {
  Recorded().push_back(plugin);
}

void CRhinoPlugInManager::Unrecord(CRhinoPlugIn* plugin) {
  auto& list = Recorded();
  list.erase(std::remove(list.begin(), list.end(), plugin), list.end());
}

std::wstring CRhinoPlugInManager::ProfileSection(const CRhinoPlugIn& plugin) {
  return L"Plug-ins\\" + std::wstring(ON_UuidToString(plugin.PlugInID()).Array());
}

CRhinoPlugIn* CRhinoPlugInManager::Find(const ON_UUID& id) const {
  for (const auto& p : m_loaded)
    if (p.m_plugin->PlugInID() == id) return p.m_plugin;
  return nullptr;
}

CRhinoPlugIn* CRhinoPlugInManager::LoadPlugIn(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "cannot load plug-in " + path + ": " + (why ? why : "unknown reason");
    return nullptr;
  }
  for (const auto& p : m_loaded) {
    if (p.m_handle == handle) {
      dlclose(handle);
      error = "plug-in " + path + " is already loaded";
      return nullptr;
    }
  }
  auto fail = [&](const std::string& why) -> CRhinoPlugIn* {
    error = "cannot load plug-in " + path + ": " + why;
    dlclose(handle);
    return nullptr;
  };
  auto sdk_version = Export<int (*)()>(handle, "RhinoPlugInSdkVersion");
  auto name = Export<const wchar_t* (*)()>(handle, "RhinoPlugInName");
  auto id = Export<const wchar_t* (*)()>(handle, "RhinoPlugInId");
  auto version = Export<const char* (*)()>(handle, "RhinoPlugInVersion");
  auto update = Export<const wchar_t* (*)()>(handle, "RhinoPlugInUpdateURL");
  if (!sdk_version || !name || !id || !version)
    return fail(
        "not a plug-in (the exports RhinoPlugInSdkVersion, RhinoPlugInName, RhinoPlugInId and "
        "RhinoPlugInVersion are required)");
  // The exports come from this module, not from a library it links.
  HMODULE module = KyrelModuleFromAddress(reinterpret_cast<const void*>(name));
  if (sdk_version() != kRhinoPlugInSdkVersion)
    return fail("built for SDK version " + std::to_string(sdk_version()) + ", this host has " +
                std::to_string(kRhinoPlugInSdkVersion));
  CRhinoLoadedPlugIn loaded;
  loaded.m_path = path;
  loaded.m_handle = handle;
  loaded.m_export_name = name() ? name() : L"";
  loaded.m_export_id = id() ? id() : L"";
  loaded.m_export_version = version() ? version() : "";
  loaded.m_update_url = update && update() ? update() : L"";
  ON_UUID export_id = ON_nil_uuid;
  if (!ON_UuidFromString(loaded.m_export_id.c_str(), export_id) || ON_UuidIsNil(export_id))
    return fail("RhinoPlugInId does not give a plug-in id");
  for (CRhinoPlugIn* candidate : Recorded())
    if (candidate->Module() == module) loaded.m_plugin = candidate;
  if (!loaded.m_plugin) return fail("the module holds no plug-in object");
  if (loaded.m_plugin->PlugInID() != export_id)
    return fail("RhinoPlugInId differs from the plug-in object's id");
  if (Find(export_id)) return fail("a plug-in with the same id is already loaded");

  if (CWinApp* app = kyrel::platform::ModuleApplication(module)) {
    AFX_MANAGE_STATE(AfxModuleStateFor(app));
    if (!app->InitInstance()) return fail("its application object failed to initialise");
  }
  if (!loaded.m_plugin->OnLoadPlugIn()) {
    const wchar_t* why = loaded.m_plugin->OnLoadPlugInErrorString();
    loaded.m_plugin->OnUnloadPlugIn();
    return fail(why ? WideToUtf8(why) : "its load notification failed");
  }
  CRhinoProfileContext profile;
  loaded.m_plugin->LoadProfile(ProfileSection(*loaded.m_plugin).c_str(), profile);
  m_loaded.push_back(loaded);
  return loaded.m_plugin;
}

void CRhinoPlugInManager::SaveProfiles() {
  CRhinoProfileContext profile;
  for (const auto& p : m_loaded)
    p.m_plugin->SaveProfile(ProfileSection(*p.m_plugin).c_str(), profile);
}

void CRhinoPlugInManager::UnloadAll(void (*before_unload)()) {
  SaveProfiles();
  for (auto it = m_loaded.rbegin(); it != m_loaded.rend(); ++it)
    it->m_plugin->OnUnloadPlugIn();
  // Workers end here, while their code is loaded and no loader lock is
  // held; left to the modules' static destructors, a join under dlclose
  // can wait for a worker that waits for the loader.
  RhinoEndBackgroundWork();
  if (before_unload) before_unload();
  for (auto it = m_loaded.rbegin(); it != m_loaded.rend(); ++it) {
    HMODULE module = it->m_plugin->Module();
    if (CWinApp* app = kyrel::platform::ModuleApplication(module)) app->ExitInstance();
    dlclose(it->m_handle);
  }
  m_loaded.clear();
}
