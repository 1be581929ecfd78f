#pragma once
// Instance definitions (blocks) and instance references.
//
// A CRhinoInstanceDefinition owns its member objects, which are
// document-less and expressed in the definition's own coordinates. The
// document's table owns the definitions; entries are never freed before the
// document is, so references may keep pointers to them.
//
// A CRhinoInstanceObject (ON::instance_reference, 0x1000) places a
// definition under a transform. It draws its members under that transform,
// its meshes are transformed copies of its members' meshes (owned by the
// reference), and GetSubObjects hands out transformed document-less copies
// of the members that the caller owns.

#include <memory>
#include <vector>

#include "rhino_object.h"

// Instance references nested deeper than this are taken for cycles: their
// members are neither drawn nor visited.
inline constexpr int kMaxInstanceDepth = 16;

class CRhinoInstanceDefinition {
public:
  CRhinoInstanceDefinition() = default;
  ~CRhinoInstanceDefinition();
  CRhinoInstanceDefinition(const CRhinoInstanceDefinition&) = delete;
  CRhinoInstanceDefinition& operator=(const CRhinoInstanceDefinition&) = delete;

  ON_UUID Id() const { return m_id; }
  const ON_wString& Name() const { return m_name; }
  int Index() const { return m_index; }
  bool IsDeleted() const { return m_bDeleted; }

  int ObjectCount() const { return static_cast<int>(m_members.size()); }
  // Member i, or null when out of range.
  const CRhinoObject* Object(int i) const;
  // Takes ownership of a document-less object; false (caller keeps it) for
  // null or an object that belongs to a document.
  bool AddObject(CRhinoObject* member);
  ON_BoundingBox BoundingBox() const;

private:
  friend class CRhinoInstanceDefinitionTable;
  ON_UUID m_id;
  ON_wString m_name;
  int m_index = -1;
  bool m_bDeleted = false;
  std::vector<std::unique_ptr<CRhinoObject>> m_members;
};

class CRhinoInstanceDefinitionTable {
public:
  explicit CRhinoInstanceDefinitionTable(CRhinoDoc* doc) : m_doc(doc) {}
  ~CRhinoInstanceDefinitionTable();
  CRhinoInstanceDefinitionTable(const CRhinoInstanceDefinitionTable&) = delete;
  CRhinoInstanceDefinitionTable& operator=(const CRhinoInstanceDefinitionTable&) = delete;

  // Adds a definition that takes ownership of the members (document-less
  // objects; null entries are skipped, document objects are refused and
  // left to their owner). A nil id gets a new one. Returns the index, or -1
  // when the name or id is already used.
  int AddInstanceDefinition(const wchar_t* name, const ON_SimpleArray<CRhinoObject*>& members,
                            const ON_UUID& id = ON_nil_uuid);
  int InstanceDefinitionCount() const { return static_cast<int>(m_defs.size()); }
  // Definition i (deleted ones included), or null when out of range.
  const CRhinoInstanceDefinition* InstanceDefinition(int index) const;
  int FindInstanceDefinition(const wchar_t* name) const; // -1 when none
  int FindInstanceDefinition(const ON_UUID& id) const;   // -1 when none
  // Marks the definition deleted; references to it draw nothing more.
  bool DeleteInstanceDefinition(int index);

private:
  friend class CRhinoUndoRecord;
  // Undo and redo of adding or deleting a definition: marks it deleted or
  // not, with the table event, and records nothing.
  void SetDeletedForUndo(int index, bool bDeleted);

  CRhinoDoc* m_doc;
  std::vector<std::unique_ptr<CRhinoInstanceDefinition>> m_defs;
};

class CRhinoInstanceObject : public CRhinoObject {
public:
  CRhinoInstanceObject();
  // definition may be null (the reference then shows nothing).
  CRhinoInstanceObject(const ON_3dmObjectAttributes& attributes,
                       const CRhinoInstanceDefinition* definition, const ON_Xform& xform);
  CRhinoInstanceObject(const CRhinoInstanceObject& src);
  ~CRhinoInstanceObject() override;

  ON::object_type ObjectType() const override; // ON::instance_reference
  unsigned int SizeOf() const override;
  CRhinoObject* DuplicateRhinoObject() const override;
  // Composes xform with the instance transform.
  bool TransformGeometry(const ON_Xform& xform) override;

  const CRhinoInstanceDefinition* InstanceDefinition() const;
  const ON_Xform& InstanceXform() const { return m_xform; }

  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;
  // Never: a reference places its members, it is not a body of its own.
  bool IsSolid() const override;

  // Meshable when any member is; meshes are the members' meshes of the type
  // under the instance transform, members in order.
  bool IsMeshable(ON::mesh_type mesh_type) const override;
  int MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp = nullptr) const override;
  int CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                   bool bIgnoreCustom = false) override;
  void DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes = true) override;
  int GetMeshes(ON::mesh_type mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const override;

  // Transformed document-less copies of the members (nested references
  // stay references with the composed transform); caller owns them.
  int GetSubObjects(ON_SimpleArray<CRhinoObject*>& sub_objects,
                    const CRhinoViewport* viewport = nullptr) const override;

private:
  static int SlotOf(ON::mesh_type mesh_type);
  void RebuildMeshes(int slot, ON::mesh_type mesh_type) const;
  void ClearMeshes(int slot, bool bDeleteMeshes) const;

  const CRhinoInstanceDefinition* m_definition = nullptr;
  ON_Xform m_xform;
  // Transformed copies of the member meshes per type, made on demand.
  mutable ON_SimpleArray<ON_Mesh*> m_meshes[3];
  // The member meshes the copies were made from.
  mutable ON_SimpleArray<const ON_Mesh*> m_sources[3];
};
