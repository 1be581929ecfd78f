// Reading the module's version record through the file-version calls.

#include "module_version_info.h"

#include <cwchar>

#include "windows.h"

namespace {

// A string of the first translation, or null when the record lacks it or
// the stored value is not a terminated string.
const wchar_t* QueryString(LPCVOID block, const wchar_t* prefix, const wchar_t* name) {
  ON_wString sub_block = prefix;
  sub_block += name;
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block, sub_block.Array(), &value, &length) || !value || length == 0)
    return nullptr;
  const auto* text = static_cast<const wchar_t*>(value);
  // The length counts characters including the terminator; a value that
  // does not end where it says is not used rather than read past its end.
  if (wcsnlen(text, length) == length) return nullptr;
  return text;
}

} // namespace

bool ReadModuleVersionInfo(ModuleVersionInfo& record, const wchar_t* path) {
  if (!path || !*path) return false;
  wchar_t short_path[MAX_PATH] = {};
  DWORD short_length = GetShortPathNameW(path, short_path, MAX_PATH);
  // A result as large as the buffer means the short form did not fit.
  if (short_length == 0 || short_length >= MAX_PATH) return false;

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(short_path, &handle);
  if (size == 0) return false;
  HGLOBAL memory = GlobalAlloc(GPTR, size);
  if (!memory) return false;
  LPVOID block = GlobalLock(memory);
  if (!block || !GetFileVersionInfoW(short_path, handle, size, block)) {
    GlobalFree(memory);
    return false;
  }

  LPVOID fixed_data = nullptr;
  UINT fixed_length = 0;
  if (VerQueryValueW(block, L"\\", &fixed_data, &fixed_length) && fixed_data &&
      fixed_length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixed_data);
    record.m_version.Format(L"%d.%d.%d.%d", HIWORD(fixed->dwProductVersionMS),
                            LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                            LOWORD(fixed->dwProductVersionLS));
    record.m_short_version.Format(L"%d.%d", HIWORD(fixed->dwProductVersionMS),
                                  LOWORD(fixed->dwProductVersionMS));
  }

  LPVOID translation_data = nullptr;
  UINT translation_length = 0;
  if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", &translation_data,
                      &translation_length) ||
      !translation_data || translation_length < 2 * sizeof(WORD)) {
    GlobalFree(memory);
    return false;
  }
  const auto* translation = static_cast<const WORD*>(translation_data);
  ON_wString prefix;
  prefix.Format(L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);

  if (const wchar_t* name = QueryString(block, prefix.Array(), L"ProductName"))
    record.m_product_name = name;
  if (const wchar_t* id = QueryString(block, prefix.Array(), L"PlugInID"))
    record.m_plugin_id = ON_UuidFromString(id);
  if (const wchar_t* internal = QueryString(block, prefix.Array(), L"InternalName"))
    record.m_internal_name = internal;

  GlobalFree(memory);
  return true;
}
