#pragma once
// CRhinoBrepObject: an object whose geometry is an ON_Brep.
//
// Display meshes are made per face (one mesh per brep face, not welded
// along the face edges), per mesh type, with the parameters given to
// CreateMeshes; MeshCount with parameters answers 0 when the meshes were
// made with other geometry settings. The object owns its brep and meshes.

#include "rhino_mesh_edges.h"
#include "rhino_object.h"

class CRhinoBrepObject : public CRhinoObject {
public:
  CRhinoBrepObject();
  explicit CRhinoBrepObject(const ON_3dmObjectAttributes& attributes);
  // Deep copy of the brep; meshes are copied too.
  CRhinoBrepObject(const CRhinoBrepObject& src);
  ~CRhinoBrepObject() override;

  ON::object_type ObjectType() const override; // ON::brep_object (0x10)
  unsigned int SizeOf() const override;
  CRhinoObject* DuplicateRhinoObject() const override;
  bool TransformGeometry(const ON_Xform& xform) override;
  const ON_Geometry* Geometry() const override;

  // Takes ownership of brep (null: none); drops the display meshes.
  void SetBrep(ON_Brep* brep);
  void SetBrep(const ON_Brep& brep);
  // The brep, or null.
  const ON_Brep* Brep() const { return m_brep; }

  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  bool IsSolid() const override;

  bool IsMeshable(ON::mesh_type mesh_type) const override;
  int MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp = nullptr) const override;
  int CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                   bool bIgnoreCustom = false) override;
  void DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes = true) override;
  int GetMeshes(ON::mesh_type mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;

private:
  // Meshes of render (0), analysis (1) and preview (2) type.
  struct MeshSet {
    ON_SimpleArray<ON_Mesh*> meshes; // owned
    ON_MeshParameters parameters;    // what they were made with
  };
  static int SlotOf(ON::mesh_type mesh_type); // -1 for default/any
  void ClearSlot(int slot, bool bDeleteMeshes);

  ON_Brep* m_brep = nullptr;
  MeshSet m_mesh_sets[3];
  // Edge segments drawn in wire passes, from the render meshes.
  mutable rhino_sdk_internal::MeshSetEdges m_edges;
  mutable bool m_edges_valid = false;
};
