// Plug-in base classes and the profile file.

#include "rhino_plugin.h"

#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>

#include "file_util.h"
#include "rhino_plugin_manager.h"
#include "win_modules.h"
#include "win_strings.h"

using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;
using nlohmann::json;

namespace {

std::mutex& ProfileLock() {
  static std::mutex m;
  return m;
}

json LoadProfileFile() {
  std::string text, error;
  if (!kyrel::platform::ReadWholeFile(CRhinoProfileContext::ProfilePath(), text, error))
    return json::object();
  json doc = json::parse(text, nullptr, false);
  return doc.is_object() ? doc : json::object();
}

} // namespace

std::string CRhinoProfileContext::ProfilePath() {
  if (const char* env = std::getenv("KYREL_PROFILE"); env && *env) return env;
  return kyrel::platform::XdgDir("XDG_CONFIG_HOME", ".config") + "/kyrel/profile.json";
}

bool CRhinoProfileContext::LoadProfileString(const wchar_t* section, const wchar_t* entry,
                                             ON_wString& value) const {
  value.Empty();
  if (!section || !entry) return false;
  std::lock_guard<std::mutex> lock(ProfileLock());
  json doc = LoadProfileFile();
  auto s = doc.find(WideToUtf8(section));
  if (s == doc.end() || !s->is_object()) return false;
  auto e = s->find(WideToUtf8(entry));
  if (e == s->end() || !e->is_string()) return false;
  value = Utf8ToWide(e->get<std::string>()).c_str();
  return true;
}

bool CRhinoProfileContext::LoadProfileString(const wchar_t* section, const wchar_t* entry,
                                             CString& value) const {
  ON_wString text;
  bool found = LoadProfileString(section, entry, text);
  value = text.Array();
  return found;
}

bool CRhinoProfileContext::SaveProfileString(const wchar_t* section, const wchar_t* entry,
                                             const wchar_t* value) {
  if (!section || !entry) return false;
  std::lock_guard<std::mutex> lock(ProfileLock());
  json doc = LoadProfileFile();
  json& s = doc[WideToUtf8(section)];
  if (!s.is_object()) s = json::object();
  s[WideToUtf8(entry)] = WideToUtf8(value ? value : L"");
  std::string error;
  return kyrel::platform::WriteFileAtomically(ProfilePath(), doc.dump(2) + "\n", error);
}

CRhinoPlugIn::CRhinoPlugIn() : m_module(KyrelModuleFromAddress(this)) {
  CRhinoPlugInManager::Record(this);
}

CRhinoPlugIn::~CRhinoPlugIn() {
  CRhinoPlugInManager::Unrecord(this);
}

void CRhinoPlugIn::LoadProfile(const wchar_t*, CRhinoProfileContext&) {}
void CRhinoPlugIn::SaveProfile(const wchar_t*, CRhinoProfileContext&) {}

BOOL CRhinoPlugIn::GetPlugInRegistryKey(ON_wString& key) const {
  key = CRhinoPlugInManager::ProfileSection(*this).c_str();
  return TRUE;
}
