#include "mesh_types.h"

ON_MeshParameters MeshParametersFor(ON::mesh_type type, const CRhinoDoc* document) {
  static const ON_MeshParameters default_parameters;
  if (document == nullptr) document = RhinoApp().ActiveDoc();
  if (document == nullptr) return default_parameters;
  switch (type) {
  case ON::render_mesh:
    return document->Properties().RenderMeshParameters();
  case ON::analysis_mesh:
    return document->Properties().AnalysisMeshSettings();
  case ON::preview_mesh:
    return document->Properties().MeshParameters(CRhinoDocProperties::custom_mesh_style);
  default:
    return default_parameters;
  }
}

ON::mesh_type ObjectMeshType(const CRhinoObject& object) {
  return object.InAnalysisMode() ? ON::analysis_mesh : ON::render_mesh;
}

bool HasFacedMeshes(const CRhinoObject& object, ON::mesh_type type) {
  if (!object.IsMeshable(type)) return false;
  ON_SimpleArray<const ON_Mesh*> meshes;
  object.GetMeshes(type, meshes);
  for (int i = 0; i < meshes.Count(); ++i)
    if (meshes[i] != nullptr && meshes[i]->FaceCount() > 0) return true;
  return false;
}

ON_MeshParameters ObjectMeshParameters(const CRhinoObject& object, ON::mesh_type type) {
  ON_MeshParameters parameters = MeshParametersFor(type, object.Document());
  if (type == ON::render_mesh) parameters = object.GetRenderMeshParameters();
  parameters.m_bJaggedSeams = false;
  parameters.m_bComputeCurvature = (type == ON::analysis_mesh);
  return parameters;
}
