// The information exports the host's plug-in loader reads by their plain
// names before it touches the plug-in object. Each returns a constant; the
// version is the only narrow string.

#include "kyrel_app.h"
#include "kyrel_plugin.h"

#define KYREL_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

KYREL_PLUGIN_EXPORT int RhinoPlugInSdkVersion() {
  return 201103035;
}
KYREL_PLUGIN_EXPORT int RhinoPlugInSdkServiceRelease() {
  return 201209275;
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInName() {
  return L"Kyrel";
}
KYREL_PLUGIN_EXPORT const char* RhinoPlugInVersion() {
  return KYREL_VERSION_TEXT; // the project's version, as the version record has it
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInId() {
  return kKyrelPlugInIdText;
}

KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperOrganization() {
  return kKyrelOrganization;
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperAddress() {
  return L"1 Example Street, Example City";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperCountry() {
  return L"Example Country";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperPhone() {
  return L"+00 000 000 000";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperFax() {
  return L"+00 000 000 001";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperEmail() {
  return L"support@tarvikcad.example";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInDeveloperWebsite() {
  return L"https://www.tarvikcad.example";
}
KYREL_PLUGIN_EXPORT const wchar_t* RhinoPlugInUpdateURL() {
  return L"https://www.tarvikcad.example/download/Kyrel/Kyrel10_x64.version.xml";
}
