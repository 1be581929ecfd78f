#pragma once
// CRhinoMeshObject: an object whose geometry is one ON_Mesh. The mesh is
// also its render, analysis and preview mesh.
//
// Ownership: by default the object owns its mesh (SetMesh). A derived
// display-only object may instead present a mesh it owns itself with
// SetBorrowedMesh; the base then never frees it, and the derived
// destructor should call ReleaseBorrowedMesh before the mesh goes away.

#include "rhino_object.h"

class CRhinoMeshObject : public CRhinoObject {
public:
  CRhinoMeshObject();
  explicit CRhinoMeshObject(const ON_3dmObjectAttributes& attributes);
  // Deep copy of the mesh (always owned by the copy).
  CRhinoMeshObject(const CRhinoMeshObject& src);
  ~CRhinoMeshObject() override;

  ON::object_type ObjectType() const override; // ON::mesh_object
  unsigned int SizeOf() const override;
  CRhinoObject* DuplicateRhinoObject() const override;
  bool TransformGeometry(const ON_Xform& xform) override;
  const ON_Geometry* Geometry() const override { return m_mesh; }

  // Takes ownership of mesh (null: no mesh); the old mesh is freed if owned.
  void SetMesh(ON_Mesh* mesh);
  // Copies mesh.
  void SetMesh(const ON_Mesh& mesh);
  // The mesh, or null.
  const ON_Mesh* Mesh() const { return m_mesh; }

  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  // The mesh is closed.
  bool IsSolid() const override;

  // The mesh stands for every mesh type: count 1 when the object has a
  // mesh, whatever the parameters.
  bool IsMeshable(ON::mesh_type mesh_type) const override;
  int MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp = nullptr) const override;
  int CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                   bool bIgnoreCustom = false) override;
  // The mesh is the object's geometry, not a display mesh: nothing is dropped.
  void DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes = true) override;
  int GetMeshes(ON::mesh_type mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;

protected:
  // Presents mesh (owned by the caller) as the object's mesh.
  void SetBorrowedMesh(ON_Mesh* mesh);
  // Forgets a borrowed mesh without freeing it (the object has none after).
  void ReleaseBorrowedMesh();

private:
  ON_Mesh* m_mesh = nullptr;
  bool m_bOwnsMesh = false;
};
