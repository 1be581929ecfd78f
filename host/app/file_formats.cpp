#include "file_formats.h"

#include <algorithm>
#include <cctype>

#include "host_session.h"
#include "ifc_import.h"
#include "mesh_io.h"
#include "model_file.h"
#include "rhinoSdk.h"
#include "ui/rhino_file_write_options.h"
#include "ui/rhino_get.h"
#include "win_strings.h"

namespace kyrel::app {

using kyrel::platform::Utf8ToWide;

bool IsModelFile(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".kyd";
}

bool OpenFile(const std::string& path, std::string& error) {
  CRhinoDoc* previous = RhinoApp().ActiveDoc();
  CRhinoDoc* fresh = RhinoApp().NewDocument();
  if (!fresh) {
    error = "cannot make a new document";
    return false;
  }
  if (!ImportFile(path, *fresh, error)) {
    RhinoApp().CloseDocument(fresh);
    if (previous) RhinoApp().SetActiveDoc(previous);
    return false;
  }
  fresh->SetFileName(Utf8ToWide(path).c_str());
  fresh->SetModifiedFlag(false);
  fresh->ClearUndoRecords();
  HostSession::Instance().ReplaceDocument(fresh);
  return true;
}

bool ImportFile(const std::string& path, CRhinoDoc& doc, std::string& error, int* added,
                std::vector<std::string>* notes) {
  if (added) *added = 0;
  if (IsModelFile(path)) return ReadModelFile(path, doc, error, added, notes);
  if (IsIfcFile(path)) return ReadIfcFile(path, doc, error, added, notes);
  std::vector<ON_Mesh*> meshes;
  std::vector<std::wstring> names;
  if (!ReadMeshFileParts(path, meshes, names, error)) return false;
  int count = 0;
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    ON_3dmObjectAttributes a;
    a.m_layer_index = doc.LayerTable().CurrentLayerIndex();
    a.m_name = names[i].c_str();
    if (doc.AddMeshObject(*meshes[i], &a)) ++count;
    delete meshes[i];
  }
  if (added) *added = count;
  return true;
}

bool WriteDocumentFile(const std::string& path, CRhinoDoc& doc, bool selected_only,
                       std::string& error) {
  if (IsModelFile(path)) {
    ModelWriteOptions options;
    options.selected_only = selected_only;
    options.user_data = RhinoApp().FileWriteOptions().WriteUserData();
    return WriteModelFile(path, doc, options, error);
  }
  if (!IsWritableMeshFormat(path)) {
    std::string reason = RefusedMeshFormatReason(path);
    error = "cannot write " + path + ": " +
            (reason.empty()
                 ? "unknown file type (use .kyd or a mesh format: .obj .stl .ply .off .gltf .glb)"
                 : reason);
    return false;
  }
  ON_SimpleArray<const CRhinoObject*> objects;
  for (const CRhinoObject* o : doc.ObjectList()) {
    if (!o || o->IsDeleted() || o->IsHiddenByMark()) continue;
    if (selected_only ? !o->IsSelected() : !o->IsVisible()) continue;
    objects.Append(o);
  }
  ON_ClassArray<CRhinoObjRef> pairs;
  RhinoGetRenderMeshes(objects, pairs, true, false);
  std::vector<const ON_Mesh*> meshes;
  std::vector<std::wstring> names;
  for (int i = 0; i < pairs.Count(); ++i) {
    if (!pairs[i].Mesh()) continue;
    meshes.push_back(pairs[i].Mesh());
    names.push_back(pairs[i].Object() ? pairs[i].Object()->Attributes().m_name.Array() : L"");
  }
  return WriteMeshFile(path, meshes, names, error);
}

bool SaveDocumentInteractively(CRhinoDoc& doc, const wchar_t* file_name, bool) {
  std::wstring name = file_name ? file_name : L"";
  if (name.empty()) {
    CRhinoGetString gs;
    gs.SetCommandPrompt(L"File name to save");
    if (gs.GetString() != CRhinoGet::string) return false;
    name = gs.String();
  }
  std::string path = HostSession::Instance().OutputPath(name);
  std::string error;
  bool selected = RhinoApp().FileWriteOptions().WriteSelectedObjectsOnly();
  if (!WriteDocumentFile(path, doc, selected, error)) {
    RhinoCommandInput().Error(Utf8ToWide(error));
    return false;
  }
  RhinoCommandInput().Print(L"Saved " + Utf8ToWide(path));
  return true;
}

} // namespace kyrel::app
