// The extract-mesh command: the shared collection, then one new mesh
// object per collected mesh.

#include "kyrel_extract_mesh.h"

#include "kyrel_clipped_meshes.h"
#include "kyrel_plugin.h"

CKyrelExtractMesh::CKyrelExtractMesh(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {}

CKyrelExtractMesh::~CKyrelExtractMesh() = default;

ON_UUID CKyrelExtractMesh::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"5B0E7C2A-93D4-4F61-8A7E-2C6D1F8B4E39");
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
