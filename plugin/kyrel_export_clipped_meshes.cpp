// The export command: the shared collection added as selected temporary
// objects, the host's save of the selection, the temporaries deleted.

#include "kyrel_export_clipped_meshes.h"

#include "kyrel_clipped_meshes.h"
#include "kyrel_plugin.h"

namespace {

// Deselects the objects still selected that the getter did not take (a
// curve selected with the meshes, say): saved with the selection, they would
// end up in a file meant for the cut meshes alone. Returns them, to be
// selected again once the file is written.
ON_SimpleArray<CRhinoObject*> SetAsideSelection(CRhinoDoc& doc) {
  ON_SimpleArray<CRhinoObject*> set_aside;
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::all_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  it.EnableSelectedObjectFilter(true);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next())
    set_aside.Append(object);
  for (CRhinoObject* object : set_aside)
    object->Select(false, true, true, false);
  return set_aside;
}

} // namespace

CKyrelExportClippedMeshes::CKyrelExportClippedMeshes(const CKyrelPlugIn* plugin)
    : CRhinoCommand(false, false, plugin, false) {
  EnableUndo(false);
}

CKyrelExportClippedMeshes::~CKyrelExportClippedMeshes() = default;

ON_UUID CKyrelExportClippedMeshes::CommandUUID() {
  static const ON_UUID id = ON_UuidFromString(L"C03A4047-BD45-4D3C-A6AA-03238A011888");
  return id;
}

const wchar_t* CKyrelExportClippedMeshes::EnglishName() {
  return L"kyExportClippedMeshes";
}

const wchar_t* CKyrelExportClippedMeshes::LocalCommandName() {
  return L"kyExportClippedMeshes";
}

CRhinoCommand::result CKyrelExportClippedMeshes::RunCommand(const CRhinoCommandContext& context) {
  CRhinoGetObject go;
  if (GetObjectsToMesh(go) != CRhinoGet::object) return go.CommandResult();

  CRhinoDoc& doc = context.m_doc;
  CKyrelClippedMeshes meshes(doc);
  for (int i = 0; i < go.ObjectCount(); ++i) {
    const CRhinoObject* object = go.Object(i).Object();
    if (object == nullptr) continue;
    // Only the temporary meshes may be selected when the selection is saved.
    const_cast<CRhinoObject*>(object)->Select(false, true, true, false);
    meshes.Collect(object);
  }
  meshes.AddRenderMeshes();

  const ON_SimpleArray<CRhinoObject*> set_aside = SetAsideSelection(doc);
  const ON_SimpleArray<CRhinoObject*> temporary = meshes.AddMeshObjects();
  for (CRhinoObject* object : temporary)
    object->Select(true, true, true, false);

  CRhinoSaveAndRestoreAppFileWriteOptions saved_options;
  RhinoApp().FileWriteOptions().SetWriteSelectedDefaults();
  // Cancelled or written, the temporaries go and the command succeeds; the
  // host has already told the user about a file it could not write.
  doc.SaveDocument(nullptr, true);
  saved_options.Restore();

  for (CRhinoObject* object : temporary)
    doc.DeleteObject(CRhinoObjRef(object), true, false);
  for (CRhinoObject* object : set_aside)
    object->Select(true, true, true, false);
  return success;
}
