#include "rhino_instance.h"

#include "rhino_display_pipeline.h"
#include "rhino_doc.h"
#include "rhino_event_dispatch.h"
#include "rhino_undo.h"

namespace {

ON_UUID NewUuid() {
  // Ids only need to be unique within the process and the files it writes;
  // a random version-4 uuid does that.
  ON_UUID id;
  ON_CreateUuid(id);
  return id;
}

} // namespace

// ---------------------------------------------------------------- definition

CRhinoInstanceDefinition::~CRhinoInstanceDefinition() = default;

const CRhinoObject* CRhinoInstanceDefinition::Object(int i) const {
  if (i < 0 || i >= ObjectCount()) return nullptr;
  return m_members[static_cast<size_t>(i)].get();
}

bool CRhinoInstanceDefinition::AddObject(CRhinoObject* member) {
  if (member == nullptr || member->Document() != nullptr) return false;
  m_members.emplace_back(member);
  return true;
}

ON_BoundingBox CRhinoInstanceDefinition::BoundingBox() const {
  ON_BoundingBox box;
  for (const auto& m : m_members) {
    const ON_BoundingBox b = m->BoundingBox();
    if (b.IsValid()) box.Union(b);
  }
  return box;
}

// --------------------------------------------------------------------- table

CRhinoInstanceDefinitionTable::~CRhinoInstanceDefinitionTable() = default;

int CRhinoInstanceDefinitionTable::AddInstanceDefinition(
    const wchar_t* name, const ON_SimpleArray<CRhinoObject*>& members, const ON_UUID& id) {
  if (name != nullptr && name[0] != 0 && FindInstanceDefinition(name) >= 0) return -1;
  if (ON_UuidIsNotNil(id) && FindInstanceDefinition(id) >= 0) return -1;
  auto def = std::make_unique<CRhinoInstanceDefinition>();
  def->m_name = name;
  def->m_id = ON_UuidIsNotNil(id) ? id : NewUuid();
  def->m_index = InstanceDefinitionCount();
  for (CRhinoObject* m : members)
    def->AddObject(m);
  m_defs.push_back(std::move(def));
  const int index = InstanceDefinitionCount() - 1;
  if (m_doc != nullptr) {
    if (CRhinoUndoRecord* r = m_doc->RecordingUndo())
      r->AddDefinitionAction(CRhinoUndoRecord::definition_added, index);
    rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
      w.InstanceDefinitionTableEvent(CRhinoEventWatcher::table_added, *m_doc, index);
    });
  }
  return index;
}

void CRhinoInstanceDefinitionTable::SetDeletedForUndo(int index, bool bDeleted) {
  if (index < 0 || index >= InstanceDefinitionCount()) return;
  CRhinoInstanceDefinition& d = *m_defs[static_cast<size_t>(index)];
  if (d.m_bDeleted == bDeleted) return;
  d.m_bDeleted = bDeleted;
  if (m_doc != nullptr) {
    rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
      w.InstanceDefinitionTableEvent(
          bDeleted ? CRhinoEventWatcher::table_deleted : CRhinoEventWatcher::table_undeleted,
          *m_doc, index);
    });
  }
}

const CRhinoInstanceDefinition* CRhinoInstanceDefinitionTable::InstanceDefinition(int index) const {
  if (index < 0 || index >= InstanceDefinitionCount()) return nullptr;
  return m_defs[static_cast<size_t>(index)].get();
}

int CRhinoInstanceDefinitionTable::FindInstanceDefinition(const wchar_t* name) const {
  if (name == nullptr) return -1;
  const ON_wString n(name);
  for (const auto& d : m_defs)
    if (!d->m_bDeleted && d->m_name == n) return d->m_index;
  return -1;
}

int CRhinoInstanceDefinitionTable::FindInstanceDefinition(const ON_UUID& id) const {
  for (const auto& d : m_defs)
    if (!d->m_bDeleted && d->m_id == id) return d->m_index;
  return -1;
}

bool CRhinoInstanceDefinitionTable::DeleteInstanceDefinition(int index) {
  if (index < 0 || index >= InstanceDefinitionCount()) return false;
  CRhinoInstanceDefinition& d = *m_defs[static_cast<size_t>(index)];
  if (d.m_bDeleted) return false;
  d.m_bDeleted = true;
  if (m_doc != nullptr) {
    if (CRhinoUndoRecord* r = m_doc->RecordingUndo())
      r->AddDefinitionAction(CRhinoUndoRecord::definition_deleted, index);
    rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
      w.InstanceDefinitionTableEvent(CRhinoEventWatcher::table_deleted, *m_doc, index);
    });
  }
  return true;
}

// ----------------------------------------------------------------- reference

CRhinoInstanceObject::CRhinoInstanceObject() = default;

CRhinoInstanceObject::CRhinoInstanceObject(const ON_3dmObjectAttributes& attributes,
                                           const CRhinoInstanceDefinition* definition,
                                           const ON_Xform& xform)
    : CRhinoObject(attributes), m_definition(definition), m_xform(xform) {}

CRhinoInstanceObject::CRhinoInstanceObject(const CRhinoInstanceObject& src)
    : CRhinoObject(src), m_definition(src.m_definition), m_xform(src.m_xform) {}

CRhinoInstanceObject::~CRhinoInstanceObject() {
  for (int s = 0; s < 3; ++s)
    ClearMeshes(s, true);
}

ON::object_type CRhinoInstanceObject::ObjectType() const {
  return ON::instance_reference;
}

unsigned int CRhinoInstanceObject::SizeOf() const {
  unsigned int sz =
      CRhinoObject::SizeOf() + static_cast<unsigned int>(sizeof(*this) - sizeof(CRhinoObject));
  for (const auto& set : m_meshes)
    for (const ON_Mesh* m : set)
      if (m != nullptr) sz += m->SizeOf();
  return sz;
}

CRhinoObject* CRhinoInstanceObject::DuplicateRhinoObject() const {
  return new CRhinoInstanceObject(*this);
}

bool CRhinoInstanceObject::TransformGeometry(const ON_Xform& xform) {
  if (!xform.IsValid()) return false;
  m_xform = xform * m_xform;
  for (int s = 0; s < 3; ++s)
    ClearMeshes(s, true);
  return true;
}

const CRhinoInstanceDefinition* CRhinoInstanceObject::InstanceDefinition() const {
  return (m_definition != nullptr && !m_definition->IsDeleted()) ? m_definition : nullptr;
}

void CRhinoInstanceObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return;
  static thread_local int depth = 0;
  if (depth >= kMaxInstanceDepth) return;
  ++depth;
  const ON_Xform saved = pipeline.ModelTransform();
  pipeline.SetModelTransform(saved * m_xform);
  for (int i = 0; i < def->ObjectCount(); ++i)
    def->Object(i)->Draw(pipeline);
  pipeline.SetModelTransform(saved);
  --depth;
}

ON_BoundingBox CRhinoInstanceObject::BoundingBox() const {
  ON_BoundingBox box;
  GetTightBoundingBox(box, false, nullptr);
  return box;
}

bool CRhinoInstanceObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                               const ON_Xform* xform) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return bGrowBox && box.IsValid();
  const ON_Xform x = xform ? (*xform) * m_xform : m_xform;
  ON_BoundingBox b;
  for (int i = 0; i < def->ObjectCount(); ++i)
    def->Object(i)->GetTightBoundingBox(b, true, &x);
  if (!b.IsValid()) return bGrowBox && box.IsValid();
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return true;
}

// A reference is a placement of other objects, not a solid of its own, even
// when every member is closed: its meshes are the members' meshes side by
// side (a brep member's faces unjoined), so nothing made from them as a
// whole may be taken for a closed body.
bool CRhinoInstanceObject::IsSolid() const {
  return false;
}

int CRhinoInstanceObject::SlotOf(ON::mesh_type mesh_type) {
  switch (mesh_type) {
  case ON::analysis_mesh:
    return 1;
  case ON::preview_mesh:
    return 2;
  default:
    return 0;
  }
}

void CRhinoInstanceObject::ClearMeshes(int slot, bool bDeleteMeshes) const {
  if (bDeleteMeshes)
    for (ON_Mesh* m : m_meshes[slot])
      delete m;
  m_meshes[slot].Empty();
  m_sources[slot].Empty();
}

void CRhinoInstanceObject::RebuildMeshes(int slot, ON::mesh_type mesh_type) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) {
    ClearMeshes(slot, true);
    return;
  }
  ON_SimpleArray<const ON_Mesh*> member_meshes;
  for (int i = 0; i < def->ObjectCount(); ++i)
    def->Object(i)->GetMeshes(mesh_type, member_meshes);
  // The copies are current as long as the members hold the same meshes.
  bool bSame = m_sources[slot].Count() == member_meshes.Count();
  for (int i = 0; bSame && i < member_meshes.Count(); ++i)
    bSame = m_sources[slot][i] == member_meshes[i];
  if (bSame) return;
  ClearMeshes(slot, true);
  for (const ON_Mesh* m : member_meshes) {
    ON_Mesh* copy = new ON_Mesh(*m);
    copy->Transform(m_xform);
    m_meshes[slot].Append(copy);
  }
  m_sources[slot] = member_meshes;
}

bool CRhinoInstanceObject::IsMeshable(ON::mesh_type mesh_type) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return false;
  for (int i = 0; i < def->ObjectCount(); ++i)
    if (def->Object(i)->IsMeshable(mesh_type)) return true;
  return false;
}

int CRhinoInstanceObject::MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return 0;
  int count = 0;
  for (int i = 0; i < def->ObjectCount(); ++i) {
    const CRhinoObject* m = def->Object(i);
    if (!m->IsMeshable(mesh_type)) continue;
    const int n = m->MeshCount(mesh_type, mp);
    if (n == 0) return 0; // a meshable member without usable meshes
    count += n;
  }
  return count;
}

int CRhinoInstanceObject::CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                                       bool bIgnoreCustom) {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return 0;
  // Members belong to the definition, which the document owns; meshing them
  // is what a reference asks of its definition.
  for (int i = 0; i < def->ObjectCount(); ++i) {
    CRhinoObject* m = const_cast<CRhinoObject*>(def->Object(i));
    if (m->IsMeshable(mesh_type)) m->CreateMeshes(mesh_type, mp, bIgnoreCustom);
  }
  const int slot = SlotOf(mesh_type);
  ClearMeshes(slot, true);
  RebuildMeshes(slot, mesh_type);
  return m_meshes[slot].Count();
}

void CRhinoInstanceObject::DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes) {
  if (mesh_type == ON::any_mesh || mesh_type == ON::default_mesh) {
    for (int s = 0; s < 3; ++s)
      ClearMeshes(s, bDeleteMeshes);
    return;
  }
  ClearMeshes(SlotOf(mesh_type), bDeleteMeshes);
}

int CRhinoInstanceObject::GetMeshes(ON::mesh_type mesh_type,
                                    ON_SimpleArray<const ON_Mesh*>& meshes) const {
  const int slot = SlotOf(mesh_type);
  RebuildMeshes(slot, mesh_type == ON::default_mesh || mesh_type == ON::any_mesh ? ON::render_mesh
                                                                                 : mesh_type);
  for (const ON_Mesh* m : m_meshes[slot])
    meshes.Append(m);
  return m_meshes[slot].Count();
}

int CRhinoInstanceObject::GetSubObjects(ON_SimpleArray<CRhinoObject*>& sub_objects,
                                        const CRhinoViewport*) const {
  const CRhinoInstanceDefinition* def = InstanceDefinition();
  if (def == nullptr) return 0;
  int added = 0;
  for (int i = 0; i < def->ObjectCount(); ++i) {
    CRhinoObject* copy = def->Object(i)->DuplicateRhinoObject();
    if (copy == nullptr) continue;
    if (!copy->TransformGeometry(m_xform)) {
      delete copy;
      continue;
    }
    sub_objects.Append(copy);
    ++added;
  }
  return added;
}
