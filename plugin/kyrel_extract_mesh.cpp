// The extract-mesh command: the shared collection, then one new mesh
// object per collected mesh.

#include "kyrel_extract_mesh.h"

#include "kyrel_clipped_meshes.h"
#include "kyrel_plugin.h"

CKyrelExtractMesh::CKyrelExtractMesh(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {}

CKyrelExtractMesh::~CKyrelExtractMesh() = default;

ON_UUID CKyrelExtractMesh::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"7F66F6F7-420B-4423-8BE3-A5219C81D81D");
  return id;
}

const wchar_t* CKyrelExtractMesh::EnglishName() {
  return L"kyExtractMesh";
}

const wchar_t* CKyrelExtractMesh::LocalCommandName() {
  return L"kyExtractMesh";
}

CRhinoCommand::result CKyrelExtractMesh::RunCommand(const CRhinoCommandContext& context) {
  CRhinoGetObject go;
  if (GetObjectsToMesh(go) != CRhinoGet::object) return go.CommandResult();

  CKyrelClippedMeshes meshes(context.m_doc);
  for (int i = 0; i < go.ObjectCount(); ++i)
    meshes.Collect(go.Object(i).Object());
  meshes.AddRenderMeshes();
  meshes.AddMeshObjects();

  context.m_doc.DeferredRedraw();
  return success;
}
