// The plug-in object: identity, load notification, profile, help.

#include "kyrel_plugin.h"

#include "interfere/kyrel_dock_bar.h"
#include "kyrel_app.h"
#include "kyrel_toolbar.h"

namespace {

CKyrelPlugIn thePlugIn;

} // namespace

CKyrelPlugIn& KyrelPlugIn() {
  return thePlugIn;
}

CKyrelPlugIn::CKyrelPlugIn()
    : m_clipping_object(this), m_export_clipped_meshes(this), m_extract_mesh(this),
      m_mirror_plane(this), m_interfere(this), m_clash_report(this) {}

CKyrelPlugIn::~CKyrelPlugIn() = default;

ON_UUID CKyrelPlugIn::PlugInID() const {
  static const ON_UUID id = ON_UuidFromString(kKyrelPlugInIdText);
  return id;
}

const wchar_t* CKyrelPlugIn::PlugInName() const {
  return KyrelApp().m_version_info.m_product_name.Array();
}

const wchar_t* CKyrelPlugIn::PlugInVersion() const {
  return KyrelApp().m_version_info.m_version.Array();
}

BOOL CKyrelPlugIn::OnLoadPlugIn() {
  // Resources looked up during the load belong to this module.
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  LoadToolbarCollection();
  CKyrelDockBar::CreateDockBarInstance();
  return TRUE;
}

void CKyrelPlugIn::OnUnloadPlugIn() {}

void CKyrelPlugIn::LoadProfile(const wchar_t* section, CRhinoProfileContext& context) {
  CString recorded;
  context.LoadProfileString(section, kKyrelProductCodeValue, recorded);
  // A different code (or none yet, while an installation has one) means the
  // installation changed since the profile was last saved.
  m_bProductCodeChanged = recorded != KyrelApp().m_product_code;
  if (m_bProductCodeChanged) RefreshToolbarFiles();
}

void CKyrelPlugIn::SaveProfile(const wchar_t* section, CRhinoProfileContext& context) {
  context.SaveProfileString(section, kKyrelProductCodeValue, KyrelApp().m_product_code.GetString());
}

CRhinoPlugIn::plugin_load_time CKyrelPlugIn::PlugInLoadTime() {
  return load_plugin_when_needed;
}

BOOL CKyrelPlugIn::AddToPlugInHelpMenu() const {
  return TRUE;
}

BOOL CKyrelPlugIn::OnDisplayPlugInHelp(HWND) const {
  CWnd* main_window = AfxGetMainWnd();
  HWND owner = main_window ? main_window->m_hWnd : nullptr;
  HINSTANCE shell_result =
      ShellExecuteW(owner, L"open", kKyrelHelpUrl, nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<ULONG_PTR>(shell_result) > 32 ? TRUE : FALSE;
}
