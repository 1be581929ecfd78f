// The application object: version record, product code, updater start.

#include "kyrel_app.h"

#include <vector>

#include "kyrel_updater.h"
#include "windows.h"

namespace {

// Registry read access (KEY_READ), as the key has always been opened.
constexpr REGSAM kRegistryReadAccess = 0x20019;
// Module paths longer than this are cut short by the module-name call.
constexpr DWORD kModulePathCapacity = 4095;

CKyrelApp theApp;

} // namespace

CKyrelApp& KyrelApp() {
  return theApp;
}

CKyrelApp::CKyrelApp() : CWinApp(L"Kyrel\\1.0") {
  SetRegistryKey(kKyrelOrganization);
}

bool ReadMachineRegistryString(const wchar_t* key_path, const wchar_t* value_name, CString& value) {
  value.Empty();
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_path, 0, kRegistryReadAccess, &key) != ERROR_SUCCESS)
    return false;
  DWORD type = REG_NONE;
  DWORD bytes = 0;
  bool read = false;
  if (RegQueryValueExW(key, value_name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      type == REG_SZ) {
    // One spare character: a stored string need not carry its terminator,
    // and an odd byte count must not lose its last character's room.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
    DWORD capacity = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    DWORD second_type = REG_NONE;
    if (RegQueryValueExW(key, value_name, nullptr, &second_type,
                         reinterpret_cast<LPBYTE>(buffer.data()), &capacity) == ERROR_SUCCESS &&
        second_type == REG_SZ) {
      value = buffer.data(); // up to the first terminator
      read = true;
    }
  }
  RegCloseKey(key);
  return read;
}

BOOL CKyrelApp::InitInstance() {
  if (!CWinApp::InitInstance()) return FALSE;
  AfxEnableControlContainer();

  // The host may initialise a module again after reloading it; what was
  // read before must not survive into a run whose sources say otherwise.
  m_version_info = ModuleVersionInfo();
  m_product_code.Empty();

  wchar_t module_path[kModulePathCapacity] = {};
  if (GetModuleFileNameW(m_hInstance, module_path, kModulePathCapacity) != 0)
    ReadModuleVersionInfo(m_version_info, module_path);

  ReadMachineRegistryString(kKyrelRegistryKey, kKyrelProductCodeValue, m_product_code);

  LaunchUpdater(*this);
  return TRUE;
}
