#include "rhino_objref.h"

#include "rhino_mesh_object.h"

CRhinoObjRef::CRhinoObjRef(const CRhinoObject* object) : m_object(object) {}

CRhinoObjRef::CRhinoObjRef(const CRhinoObject* object, const ON_Geometry* geometry,
                           bool bProxyGeometry)
    : m_object(object), m_geometry(geometry), m_bProxy(bProxyGeometry) {}

const ON_Geometry* CRhinoObjRef::Geometry() const {
  if (m_geometry != nullptr) return m_geometry;
  return m_object ? m_object->Geometry() : nullptr;
}

const ON_Mesh* CRhinoObjRef::Mesh() const {
  if (m_geometry != nullptr) return ON_Mesh::Cast(m_geometry);
  if (const auto* mo = dynamic_cast<const CRhinoMeshObject*>(m_object)) return mo->Mesh();
  return nullptr;
}

int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& meshes, bool bOkToCreate,
                         bool bReturnAllObjects) {
  int appended = 0;
  for (const CRhinoObject* object : objects) {
    if (object == nullptr) continue;
    ON_SimpleArray<const ON_Mesh*> list;
    if (object->IsMeshable(ON::render_mesh)) {
      // MeshCount, not GetMeshes: a block reference whose members are only
      // partly meshed hands out the meshes it has, and would lose the rest.
      if (bOkToCreate && object->MeshCount(ON::render_mesh) == 0) {
        // Meshing is a cache of the object, not a change of the model.
        CRhinoObject* writable = const_cast<CRhinoObject*>(object);
        writable->CreateMeshes(ON::render_mesh, object->GetRenderMeshParameters());
      }
      object->GetMeshes(ON::render_mesh, list);
    }
    int added_here = 0;
    for (const ON_Mesh* m : list) {
      if (m == nullptr) continue;
      meshes.Append(CRhinoObjRef(object, m, false));
      ++added_here;
    }
    if (added_here == 0 && bReturnAllObjects) {
      meshes.Append(CRhinoObjRef(object));
      ++added_here;
    }
    appended += added_here;
  }
  return appended;
}
