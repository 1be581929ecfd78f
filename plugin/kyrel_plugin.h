#pragma once
// CKyrelPlugIn: the plug-in object the host loads. One static object of the
// module; the host finds it through its utility plug-in base. It answers
// the host's identity queries from the module's version record, owns the
// plug-in's commands, and keeps the installation's product code in the
// host's profile.

#include "kyrel_clash_report.h"
#include "kyrel_clipping_object.h"
#include "kyrel_export_clipped_meshes.h"
#include "kyrel_extract_mesh.h"
#include "kyrel_interfere.h"
#include "kyrel_mirror_plane.h"
#include "rhinoSdk.h"

class CKyrelPlugIn : public CRhinoUtilityPlugIn {
public:
  CKyrelPlugIn();
  // Destroys the commands (in reverse order of their construction) before
  // the base, so no command outlives the plug-in it belongs to.
  ~CKyrelPlugIn() override;

  ON_UUID PlugInID() const override;
  // The version record's product name ("Unkown" when it could not be read).
  const wchar_t* PlugInName() const override;
  // The version record's product version ("unknown" when unreadable).
  const wchar_t* PlugInVersion() const override;
  BOOL OnLoadPlugIn() override;
  void OnUnloadPlugIn() override;
  void LoadProfile(const wchar_t* section, CRhinoProfileContext& context) override;
  void SaveProfile(const wchar_t* section, CRhinoProfileContext& context) override;
  plugin_load_time PlugInLoadTime() override;
  BOOL AddToPlugInHelpMenu() const override;
  // Opens the product page in the default browser; true when it opened.
  BOOL OnDisplayPlugInHelp(HWND parent) const override;

  // Whether the product code recorded in the profile at the last load
  // differed from the installation's (the toolbar files were then written
  // again from the module).
  bool ProductCodeChangedAtLoad() const { return m_bProductCodeChanged; }

private:
  // Commands, constructed in this order and destroyed in reverse: the five
  // of the command table in its order, then the report command.
  CKyrelClippingObject m_clipping_object;
  CKyrelExportClippedMeshes m_export_clipped_meshes;
  CKyrelExtractMesh m_extract_mesh;
  CKyrelMirrorPlane m_mirror_plane;
  CKyrelInterfere m_interfere;
  CKyrelClashReport m_clash_report;
  bool m_bProductCodeChanged = false;
};

// The module's one plug-in object.
CKyrelPlugIn& KyrelPlugIn();

// The plug-in's identifier, as the identity query and the export give it.
inline constexpr const wchar_t* kKyrelPlugInIdText = L"{97641A3C-772C-4EAB-8251-0395F46F9A4C}";
// The maker's product page, opened by the help display.
inline constexpr const wchar_t* kKyrelHelpUrl =
    L"https://www.tarvikcad.example/urlProduct.asp?i=11&u=4";
