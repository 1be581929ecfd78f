#pragma once
// What a module's own version record says about it. The plug-in reports
// its name and version to the host from here, so the texts come from the
// module file that is actually loaded rather than from constants that
// could drift from the build.

#include "opennurbs.h"

struct ModuleVersionInfo {
  // Product version "a.b.c.d"; "unknown" until a record was read.
  ON_wString m_version = L"unknown";
  // The product version's two leading parts, "a.b"; empty until read.
  ON_wString m_short_version;
  // "ProductName" of the first translation. The default's spelling is
  // the text hosts have always been shown for an unreadable record.
  ON_wString m_product_name = L"Unkown";
  // "InternalName" of the first translation; empty when absent.
  ON_wString m_internal_name;
  // "PlugInID" of the first translation; nil when absent or unparsable.
  ON_UUID m_plugin_id = ON_nil_uuid;
};

// Fills `record` from the version record of the module file at `path`
// (null or empty: nothing is read). True when the record and its
// translation table were found. Fields whose source is missing keep the
// value they had, so a failed read leaves the defaults in place.
bool ReadModuleVersionInfo(ModuleVersionInfo& record, const wchar_t* path);
