#pragma once
// CKyrelApp: the plug-in module's application object. It exists once, as a
// static object of the module; the host runs its InitInstance when it
// loads the module, before the plug-in's load notification. It learns the
// module's version from the module's own file and the installation's
// product code from the machine registry, and starts the maker's updater
// for an installed product.

#include "afxwin.h"
#include "module_version_info.h"

class CKyrelApp : public CWinApp {
public:
  CKyrelApp();

  // False only when the MFC base initialisation fails. Reading the version
  // record or the registry may fail silently: the defaults then stand.
  BOOL InitInstance() override;

  // What the module's version record says; defaults until InitInstance.
  ModuleVersionInfo m_version_info;
  // The installation's product code ("ProductCode" under the product's
  // machine registry key); empty when there is none or it is not a string.
  CString m_product_code;
};

// The module's one application object.
CKyrelApp& KyrelApp();

// The maker's name as the registry, the developer export and the updater's
// folder spell it; the machine registry key of this product version; and
// the value under it (also the profile entry) that holds the product code.
#define KYREL_ORGANIZATION L"TarvikCAD"
inline constexpr const wchar_t* kKyrelOrganization = KYREL_ORGANIZATION;
inline constexpr const wchar_t* kKyrelRegistryKey =
    L"SOFTWARE\\" KYREL_ORGANIZATION L"\\Kyrel\\1.0";
inline constexpr const wchar_t* kKyrelProductCodeValue = L"ProductCode";

// Reads the string value `value_name` of the machine-wide key `key_path`
// into `value`. False, with `value` left empty, when the key or value is
// missing or the value is not a string.
bool ReadMachineRegistryString(const wchar_t* key_path, const wchar_t* value_name, CString& value);
