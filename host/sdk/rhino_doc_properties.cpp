#include "rhino_doc_properties.h"

#include "rhino_doc.h"
#include "rhino_event_dispatch.h"

CRhinoDocProperties::CRhinoDocProperties(CRhinoDoc* doc) : m_doc(doc) {
  m_render = ON_MeshParameters::FastRenderMesh;
  m_analysis = ON_MeshParameters::QualityRenderMesh;
  m_analysis.m_bComputeCurvature = true;
  m_custom = ON_MeshParameters::FastRenderMesh;
  m_custom.m_style = custom_mesh_style;
}

void CRhinoDocProperties::Changed() {
  if (m_doc == nullptr) return;
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.OnDocumentPropertiesChanged(*m_doc); });
}

void CRhinoDocProperties::SetRenderMeshSettings(const ON_MeshParameters& mp) {
  if (mp == m_render) return;
  m_render = mp;
  Changed();
}

void CRhinoDocProperties::SetAnalysisMeshSettings(const ON_MeshParameters& mp) {
  if (mp == m_analysis) return;
  m_analysis = mp;
  Changed();
}

void CRhinoDocProperties::SetCustomMeshParameters(const ON_MeshParameters& mp) {
  if (mp == m_custom) return;
  m_custom = mp;
  m_custom.m_style = custom_mesh_style;
  Changed();
}

ON_MeshParameters CRhinoDocProperties::MeshParameters(int style) const {
  switch (style) {
  case custom_mesh_style:
    return m_custom;
  case 1:
    return ON_MeshParameters::FastRenderMesh;
  case 2:
    return ON_MeshParameters::QualityRenderMesh;
  default:
    return m_render;
  }
}
