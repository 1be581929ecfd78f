#pragma once
// CRhinoDocProperties: document settings that change how objects are
// meshed.
//
// Host decisions:
//   - RenderMeshSettings() and RenderMeshParameters() are the same record;
//     SetRenderMeshSettings replaces it.
//   - MeshParameters(style): style 9 (custom_mesh_style) gives the
//     document's custom meshing parameters (used for preview meshes); style
//     1 the fast and 2 the quality render presets; any other style gives the
//     render mesh settings.
// Every change that alters a record is reported to the event watchers with
// OnDocumentPropertiesChanged; meshes already made are kept (CRhinoDoc::Regen
// remakes the ones made with other settings).

#include "opennurbs.h"

class CRhinoDoc;

class CRhinoDocProperties {
public:
  static constexpr int custom_mesh_style = 9;

  explicit CRhinoDocProperties(CRhinoDoc* doc);
  CRhinoDocProperties(const CRhinoDocProperties&) = delete;
  CRhinoDocProperties& operator=(const CRhinoDocProperties&) = delete;

  const ON_MeshParameters& RenderMeshParameters() const { return m_render; }
  const ON_MeshParameters& RenderMeshSettings() const { return m_render; }
  void SetRenderMeshSettings(const ON_MeshParameters& mp);

  const ON_MeshParameters& AnalysisMeshSettings() const { return m_analysis; }
  void SetAnalysisMeshSettings(const ON_MeshParameters& mp);

  ON_MeshParameters MeshParameters(int style) const;
  const ON_MeshParameters& CustomMeshParameters() const { return m_custom; }
  void SetCustomMeshParameters(const ON_MeshParameters& mp);

private:
  void Changed();
  CRhinoDoc* m_doc;
  ON_MeshParameters m_render;
  ON_MeshParameters m_analysis;
  ON_MeshParameters m_custom;
};
