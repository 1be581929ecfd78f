#pragma once
// CRhinoObjRef: a reference to an object, optionally with a piece of
// geometry that stands for it (a mesh made from it, for example).
//
// A reference never owns anything: the object belongs to its document and
// the geometry to whoever made it, who frees it once the references are no
// longer used.

#include "rhino_object.h"

class CRhinoObjRef {
public:
  CRhinoObjRef() = default;
  explicit CRhinoObjRef(const CRhinoObject* object);
  // geometry stands for the object (not owned; see file comment). The flag
  // records that the geometry was made from the object rather than taken
  // from it.
  CRhinoObjRef(const CRhinoObject* object, const ON_Geometry* geometry, bool bProxyGeometry);
  CRhinoObjRef(const CRhinoObjRef&) = default;
  CRhinoObjRef& operator=(const CRhinoObjRef&) = default;
  ~CRhinoObjRef() = default;

  // The referenced object, or null.
  const CRhinoObject* Object() const { return m_object; }
  // The geometry: the one given, else the object's own, or null.
  const ON_Geometry* Geometry() const;
  // The geometry as a mesh: the given geometry when it is a mesh, else the
  // mesh of a mesh object; null otherwise.
  const ON_Mesh* Mesh() const;
  bool IsProxyGeometry() const { return m_bProxy; }

private:
  const CRhinoObject* m_object = nullptr;
  const ON_Geometry* m_geometry = nullptr;
  bool m_bProxy = false;
};

// Appends one (object, render mesh) reference per render mesh of each
// object, in order, making the render meshes first where they are missing
// and bOkToCreate is set (with the object's render mesh parameters).
// bReturnAllObjects: objects without meshes are appended too, with no mesh.
// Null entries are skipped. Returns the number of references appended.
int RhinoGetRenderMeshes(const ON_SimpleArray<const CRhinoObject*>& objects,
                         ON_ClassArray<CRhinoObjRef>& meshes, bool bOkToCreate,
                         bool bReturnAllObjects);
