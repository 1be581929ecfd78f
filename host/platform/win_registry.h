#pragma once
// The machine registry, kept in a JSON file: $KYREL_REGISTRY when set, else
// /etc/kyrel/registry.json. HKEY_CURRENT_USER keys live in
// $KYREL_USER_REGISTRY, else $XDG_CONFIG_HOME/kyrel/registry.json.
// Key paths compare without regard to case, as on Windows. A missing or
// unreadable file is an empty registry; writes go to a temporary file that
// is renamed into place.
//
// File layout: { "HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\App": {
//   "Name": { "type": "REG_SZ", "value": "text" },
//   "Count": { "type": "REG_DWORD", "value": 3 } } }

#include "win_types.h"

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002)))

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD KEY_QUERY_VALUE = 0x0001;
constexpr DWORD KEY_SET_VALUE = 0x0002;
constexpr DWORD KEY_READ = 0x20019;
constexpr DWORD KEY_WRITE = 0x20006;
constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

using REGSAM = DWORD;
using LSTATUS = LONG;
using PHKEY = HKEY*;

// Results are Windows error codes (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ...).
LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR sub_key, DWORD options, REGSAM access, PHKEY result);
LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR sub_key, DWORD reserved, LPWSTR key_class, DWORD options,
                        REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY result,
                        LPDWORD disposition);
// With data null: the type and the size in bytes (strings: characters
// including the terminating NUL, times sizeof(wchar_t)). A buffer that is
// too small gives ERROR_MORE_DATA and the size needed.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD size);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD size);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR value_name);
LSTATUS RegCloseKey(HKEY key);
