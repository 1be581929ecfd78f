// Registry keys backed by a JSON file per root.

#include "win_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

#include "file_util.h"
#include "win_strings.h"

using kyrel::platform::ToUpper;
using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;
using nlohmann::json;

struct HKEY__ {
  std::string file;
  std::string path; // "HKEY_LOCAL_MACHINE\SOFTWARE\..."
  bool writable = false;
};

namespace {

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}

bool IsRoot(HKEY key) {
  return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT;
}

std::string FileFor(HKEY root) {
  if (root == HKEY_CURRENT_USER) {
    if (const char* env = std::getenv("KYREL_USER_REGISTRY"); env && *env) return env;
    return kyrel::platform::XdgDir("XDG_CONFIG_HOME", ".config") + "/kyrel/registry.json";
  }
  if (const char* env = std::getenv("KYREL_REGISTRY"); env && *env) return env;
  return "/etc/kyrel/registry.json";
}

std::string RootName(HKEY root) {
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  return "HKEY_LOCAL_MACHINE";
}

json Load(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return json::object();
  json doc = json::parse(in, nullptr, false);
  return doc.is_object() ? doc : json::object();
}

// Finds a member without regard to case; null when absent.
json* FindNoCase(json& object, const std::string& name) {
  if (!object.is_object()) return nullptr;
  std::wstring wanted = ToUpper(Utf8ToWide(name));
  for (auto it = object.begin(); it != object.end(); ++it)
    if (ToUpper(Utf8ToWide(it.key())) == wanted) return &it.value();
  return nullptr;
}

std::string Join(const std::string& a, LPCWSTR sub) {
  std::string s = sub ? WideToUtf8(sub) : "";
  while (!s.empty() && (s.front() == '\\' || s.front() == '/'))
    s.erase(0, 1);
  while (!s.empty() && (s.back() == '\\' || s.back() == '/'))
    s.pop_back();
  for (char& c : s)
    if (c == '/') c = '\\';
  return s.empty() ? a : a + "\\" + s;
}

LSTATUS Open(HKEY root, LPCWSTR sub, REGSAM access, PHKEY result, bool create,
             LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string file, base;
  if (IsRoot(root)) {
    file = FileFor(root);
    base = RootName(root);
  } else if (root) {
    file = root->file;
    base = root->path;
  } else {
    return ERROR_INVALID_HANDLE;
  }
  std::string path = Join(base, sub);
  std::lock_guard<std::mutex> lock(RegistryLock());
  json doc = Load(file);
  bool exists = FindNoCase(doc, path) != nullptr || path == base;
  if (!exists && !create) return ERROR_FILE_NOT_FOUND;
  if (!exists) {
    doc[path] = json::object();
    std::string error;
    if (!kyrel::platform::WriteFileAtomically(file, doc.dump(2), error)) return ERROR_ACCESS_DENIED;
  }
  if (disposition) *disposition = exists ? 2 : 1; // opened existing : created new
  auto* key = new HKEY__;
  key->file = file;
  key->path = path;
  key->writable = (access & KEY_SET_VALUE) != 0;
  *result = key;
  return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR sub_key, DWORD, REGSAM access, PHKEY result) {
  return Open(root, sub_key, access, result, false, nullptr);
}

LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR sub_key, DWORD, LPWSTR, DWORD, REGSAM access,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  return Open(root, sub_key, access, result, true, disposition);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD size) {
  if (!key || IsRoot(key)) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(RegistryLock());
  json doc = Load(key->file);
  json* values = FindNoCase(doc, key->path);
  if (!values) return ERROR_FILE_NOT_FOUND;
  json* entry = FindNoCase(*values, value_name ? WideToUtf8(value_name) : "");
  if (!entry || !entry->is_object()) return ERROR_FILE_NOT_FOUND;
  std::string kind = entry->value("type", std::string("REG_SZ"));
  const json& value = (*entry)["value"];
  std::string bytes;
  DWORD value_type = REG_NONE;
  if ((kind == "REG_SZ" || kind == "REG_EXPAND_SZ") && value.is_string()) {
    value_type = kind == "REG_SZ" ? REG_SZ : REG_EXPAND_SZ;
    std::wstring text = Utf8ToWide(value.get<std::string>());
    bytes.assign(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
  } else if (kind == "REG_DWORD" && value.is_number_integer()) {
    value_type = REG_DWORD;
    auto v = static_cast<DWORD>(value.get<std::int64_t>());
    bytes.assign(reinterpret_cast<const char*>(&v), sizeof v);
  } else if (kind == "REG_BINARY" && value.is_array()) {
    value_type = REG_BINARY;
    for (const json& b : value)
      bytes.push_back(static_cast<char>(b.is_number_integer() ? b.get<int>() & 0xFF : 0));
  } else {
    return ERROR_INVALID_DATA; // a malformed entry is reported, never guessed at
  }
  if (type) *type = value_type;
  if (!data) {
    if (size) *size = static_cast<DWORD>(bytes.size());
    return ERROR_SUCCESS;
  }
  if (*size < bytes.size()) {
    *size = static_cast<DWORD>(bytes.size());
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  *size = static_cast<DWORD>(bytes.size());
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD, DWORD type, const BYTE* data,
                       DWORD size) {
  if (!key || IsRoot(key)) return ERROR_INVALID_HANDLE;
  if (!key->writable) return ERROR_ACCESS_DENIED;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  json entry;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == 0)
      text.pop_back();
    entry = {{"type", type == REG_SZ ? "REG_SZ" : "REG_EXPAND_SZ"}, {"value", WideToUtf8(text)}};
  } else if (type == REG_DWORD) {
    if (size < sizeof(DWORD)) return ERROR_INVALID_PARAMETER;
    DWORD v;
    std::memcpy(&v, data, sizeof v);
    entry = {{"type", "REG_DWORD"}, {"value", v}};
  } else if (type == REG_BINARY) {
    json bytes = json::array();
    for (DWORD i = 0; i < size; ++i)
      bytes.push_back(data[i]);
    entry = {{"type", "REG_BINARY"}, {"value", bytes}};
  } else {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard<std::mutex> lock(RegistryLock());
  json doc = Load(key->file);
  json* values = FindNoCase(doc, key->path);
  if (!values) values = &(doc[key->path] = json::object());
  std::string name = value_name ? WideToUtf8(value_name) : "";
  if (json* existing = FindNoCase(*values, name))
    *existing = entry;
  else
    (*values)[name] = entry;
  std::string error;
  return kyrel::platform::WriteFileAtomically(key->file, doc.dump(2), error) ? ERROR_SUCCESS
                                                                             : ERROR_ACCESS_DENIED;
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR value_name) {
  if (!key || IsRoot(key)) return ERROR_INVALID_HANDLE;
  if (!key->writable) return ERROR_ACCESS_DENIED;
  std::lock_guard<std::mutex> lock(RegistryLock());
  json doc = Load(key->file);
  json* values = FindNoCase(doc, key->path);
  if (!values) return ERROR_FILE_NOT_FOUND;
  std::wstring wanted = ToUpper(value_name ? value_name : L"");
  for (auto it = values->begin(); it != values->end(); ++it) {
    if (ToUpper(Utf8ToWide(it.key())) == wanted) {
      values->erase(it);
      std::string error;
      return kyrel::platform::WriteFileAtomically(key->file, doc.dump(2), error)
                 ? ERROR_SUCCESS
                 : ERROR_ACCESS_DENIED;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegCloseKey(HKEY key) {
  if (!key) return ERROR_INVALID_HANDLE;
  if (IsRoot(key)) return ERROR_SUCCESS;
  delete key;
  return ERROR_SUCCESS;
}
