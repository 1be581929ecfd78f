#pragma once
// CKyrelPhantomObject: the display-only mesh object that stands in for a
// cut document object. Every section cache embeds one; the section builder
// fills its entries (one per source mesh of the object) and the conduit
// hands it to the host in place of the object. The host then asks it for
// meshes and display attributes and calls its Draw like any mesh object's.
//
// It answers with the cut meshes of its visible entries (clip state 0 or
// 1) and borrows everything else that decides the look from its source
// object: attributes, bounding box, solidity and the display attributes of
// the source mesh each piece was cut from. It is never added to a
// document. Its own mesh, as the host base sees it, is an empty mesh it
// owns itself.
//
// Ownership: the entries own their meshes; the source object is borrowed.

#include "rhinoSdk.h"
#include "section/mesh_cache.h"

class CKyrelPhantomObject : public CRhinoMeshObject {
public:
  CKyrelPhantomObject();
  // A copy keeps the source and build flag but no entries, so no mesh ever
  // has two owners.
  CKyrelPhantomObject(const CKyrelPhantomObject& src);
  CKyrelPhantomObject& operator=(const CKyrelPhantomObject&) = delete;

  // ---- host object overrides ----
  ~CKyrelPhantomObject() override;
  // The base object's size plus the entries'.
  unsigned int SizeOf() const override;
  // Always a mesh object, whatever the source is.
  ON::object_type ObjectType() const override;
  // The edges of the visible pieces, as the source would show them.
  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  const ON_3dmObjectAttributes& Attributes() const override;
  // Every mesh of every entry, visible or not; the arguments are ignored.
  int MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp = nullptr) const override;
  // Creates nothing; returns 0.
  int CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                   bool bIgnoreCustom = false) override;
  // Unbuilds the phantom: every entry destroys its meshes (deleting them
  // when bDeleteMeshes) and the entry list is emptied. The source stays.
  void DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes = true) override;
  // Appends the meshes of the visible entries, in entry order.
  int GetMeshes(ON::mesh_type mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;
  // The attributes the source gives the mesh the piece `mesh_index` was cut
  // from; attrs when there is no source or no such piece.
  const CDisplayPipelineAttributes&
  MeshDisplayAttributes(int mesh_index, const ON_Mesh& mesh,
                        const CDisplayPipelineAttributes& attrs) const override;
  bool IsSolid() const override;

  // One entry per source mesh of the object.
  ON_ClassArray<DS_MeshCache> m_caches;
  // The builder ran for the current cutting meshes.
  bool m_bBuilt = false;
  // The document object this phantom stands for; not owned, may be null.
  const CRhinoObject* m_source = nullptr;
  // The mesh the host base sees as this object's own.
  ON_Mesh m_empty_mesh;

private:
  // Edge drawing of one piece with the pipeline's current attributes: mesh
  // wires only when they are switched on, surface edge colours chosen by
  // their usage values, edges blended toward the display colour. outline
  // is the one kept for the mesh, or null to find it from the mesh.
  void DrawMeshEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh, bool bMeshSource,
                     const DS_MeshOutline* outline) const;
  // The visible entry holding phantom mesh `mesh_index`, or null.
  const DS_MeshCache* VisibleEntryOf(int mesh_index) const;
};
