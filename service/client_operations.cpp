// Client operations on the cut result of objects: reading an object's cut
// meshes, dropping its section cache, and the rendering bracket that shows
// a renderer the cut geometry instead of the whole objects.
//
// The bracket works through the host's no-show mark: BeginRender sets it to
// 1, marks cutting objects and cut objects with it (hiding them) and adds
// temporary mesh objects, marked -1, that carry the cut pieces; EndRender
// deletes the temporary objects and clears every mark.

#include "service/kyrel_service.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

constexpr int kNoShowWhileRendering = 1;
constexpr int kTemporaryRenderObject = -1;
constexpr unsigned int kAllParentalControls = 0xFFFFFFFFu;

// Stand-ins handed to clients: a cutting object shows as one empty mesh, a
// wholly removed source mesh as another. Made on first use, freed at unload.
const ON_Mesh* CuttingObjectPlaceholder() {
  static const ON_Mesh placeholder;
  return &placeholder;
}
const ON_Mesh* RemovedPartPlaceholder() {
  static const ON_Mesh placeholder;
  return &placeholder;
}

bool IsCutting(const CRhinoObject& object) {
  return object.GetAttributeUserData(TV_SectionGeometry::UUID()) != nullptr;
}

TV_SectionCache* CacheOf(const CRhinoObject& object) {
  return TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
}

CRhinoObject* ActiveDocObject(unsigned int serial) {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  return doc ? doc->LookupObjectByRuntimeSerialNumber(serial) : nullptr;
}

// A temporary mesh object with the pieces of one entry, dressed in the
// attributes of the entry's source object.
void AddRenderObject(CRhinoDoc& doc, const CRhinoObject& object, const DS_MeshCache& entry) {
  ON_3dmObjectAttributes attributes =
      entry.m_object ? entry.m_object->Attributes() : object.Attributes();
  if (object.ObjectType() == ON::instance_reference &&
      attributes.MaterialSource() == ON::material_from_parent) {
    const ON_3dmObjectAttributes& parent = object.Attributes();
    attributes.ApplyParentalControl(parent, doc.LayerTable()[parent.m_layer_index],
                                    kAllParentalControls);
  }
  auto* mesh = new ON_Mesh();
  for (int i = 0; i < entry.m_meshes.Count(); ++i)
    if (entry.m_meshes[i] != nullptr) mesh->Append(*entry.m_meshes[i]);
  auto* render_object = new CRhinoMeshObject(attributes);
  render_object->SetMesh(mesh);
  // A refused object (no faces, say) is destroyed by the document itself.
  if (doc.AddObject(render_object, false, false)) render_object->Mark(kTemporaryRenderObject);
}

} // namespace

void CKyrelService::DiscardObjectCache(unsigned int serial) {
  CRhinoObject* object = ActiveDocObject(serial);
  if (object == nullptr) return;
  TV_SectionCache* cache = CacheOf(*object);
  if (cache != nullptr && object->DetachUserData(cache)) delete cache;
}

bool CKyrelService::GetObjectMeshes(unsigned int serial, ON_SimpleArray<const ON_Mesh*>& meshes) {
  const CRhinoObject* object = ActiveDocObject(serial);
  if (object == nullptr) return false;
  if (IsCutting(*object)) {
    meshes.Append(CuttingObjectPlaceholder());
    return true;
  }
  const TV_SectionCache* cache = CacheOf(*object);
  if (cache == nullptr) return false;
  const ON_ClassArray<DS_MeshCache>& entries = cache->m_phantom.m_caches;
  for (int i = 0; i < entries.Count(); ++i) {
    const DS_MeshCache& entry = entries[i];
    if (!entry.m_bComputed) continue;
    if (entry.m_clip_state < 0) {
      meshes.Append(RemovedPartPlaceholder());
      continue;
    }
    for (int m = 0; m < entry.m_meshes.Count(); ++m)
      meshes.Append(entry.m_meshes[m]);
  }
  return true;
}

void CKyrelService::BeginRender() {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (doc == nullptr) return;
  CRhinoObject::m_no_show_mark = kNoShowWhileRendering;

  CRhinoObjectIterator it(*doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (object->IsMarked() == kTemporaryRenderObject) continue; // added just now
    if (IsCutting(*object)) {
      object->Mark(CRhinoObject::m_no_show_mark);
      continue;
    }
    const TV_SectionCache* cache = CacheOf(*object);
    if (cache == nullptr) continue;
    const ON_ClassArray<DS_MeshCache>& entries = cache->m_phantom.m_caches;
    for (int i = 0; i < entries.Count(); ++i) {
      if (!entries[i].m_bComputed) continue;
      if (entries[i].m_clip_state >= 0) AddRenderObject(*doc, *object, entries[i]);
      object->Mark(CRhinoObject::m_no_show_mark);
    }
  }
}

void CKyrelService::EndRender() {
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (doc == nullptr) return;
  CRhinoObject::m_no_show_mark = 0;

  CRhinoObjectIterator it(*doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (object->IsMarked() == kTemporaryRenderObject)
      doc->DeleteObject(CRhinoObjRef(object), true, true);
    else
      object->Mark(0);
  }
}
