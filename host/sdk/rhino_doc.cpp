// CRhinoDoc: objects (adding, deleting, replacing, looking up, attributes)
// and the bookkeeping that keeps deleted objects alive while undo or a
// running iteration may still reach them.

#include "rhino_doc.h"

#include <atomic>

#include "rhino_brep_object.h"
#include "rhino_clipping_plane_object.h"
#include "rhino_curve_object.h"
#include "rhino_event_dispatch.h"
#include "rhino_mesh_object.h"
#include "rhino_undo.h"

namespace {

unsigned int NextDocSerialNumber() {
  static std::atomic<unsigned int> next{1};
  return next.fetch_add(1);
}

template <class F> void Fire(F&& f) {
  rhino_sdk_internal::ForEachWatcher(std::forward<F>(f));
}

} // namespace

CRhinoDoc::CRhinoDoc()
    : m_serial(NextDocSerialNumber()), m_properties(this), m_layers(this), m_materials(this),
      m_idefs(this), m_undo(std::make_unique<CRhinoUndoHistory>(*this)) {}

CRhinoDoc::~CRhinoDoc() {
  // Records are dropped without purge events: watchers must not hear about
  // a document that is being destroyed.
  m_undo.reset();
  for (CRhinoObject* o : m_objects) {
    o->m_doc = nullptr;
    delete o;
  }
  m_objects.clear();
}

// ------------------------------------------------------------------ adding

bool CRhinoDoc::AcceptObject(CRhinoObject* object) const {
  if (object == nullptr || object->m_doc != nullptr) return false;
  if (const auto* m = dynamic_cast<const CRhinoMeshObject*>(object))
    return m->Mesh() != nullptr && m->Mesh()->FaceCount() > 0 && m->Mesh()->VertexCount() > 0;
  if (const auto* b = dynamic_cast<const CRhinoBrepObject*>(object))
    return b->Brep() != nullptr && b->Brep()->FaceCount() > 0;
  if (const auto* c = dynamic_cast<const CRhinoCurveObject*>(object))
    return c->Curve() != nullptr && c->Curve()->PointCount() >= 2;
  if (const auto* i = dynamic_cast<const CRhinoInstanceObject*>(object))
    return i->InstanceDefinition() != nullptr;
  // Other object types carry their own geometry rules.
  return true;
}

bool CRhinoDoc::AddObject(CRhinoObject* object, bool bReference, bool bQuiet) {
  if (!AcceptObject(object)) {
    // A free object handed over is the document's, so a refused one is
    // destroyed instead of leaking in the caller's hands.
    if (object != nullptr && object->m_doc == nullptr) delete object;
    return false;
  }
  ON_3dmObjectAttributes& a = object->m_attributes;
  if (ON_UuidIsNil(a.m_uuid) || LookupObject(a.m_uuid) != nullptr) ON_CreateUuid(a.m_uuid);
  object->m_doc = this;
  object->m_bReference = bReference;
  object->m_bDeleted = false;
  object->m_selection = 0;
  m_objects.push_back(object);
  if (!bReference) {
    RecordAdd(object);
    m_bModified = true;
  }
  if (!bQuiet) Fire([&](CRhinoEventWatcher& w) { w.OnAddObject(*this, *object); });
  return true;
}

void CRhinoDoc::RecordAdd(CRhinoObject* object) {
  if (CRhinoUndoRecord* r = RecordingUndo()) r->AddObjectAction(CRhinoUndoRecord::added, object);
}

namespace {

ON_3dmObjectAttributes DefaultAttributes(const CRhinoDoc& doc,
                                         const ON_3dmObjectAttributes* attributes) {
  if (attributes != nullptr) return *attributes;
  ON_3dmObjectAttributes a;
  a.m_layer_index = doc.LayerTable().CurrentLayerIndex();
  return a;
}

} // namespace

CRhinoMeshObject* CRhinoDoc::AddMeshObject(const ON_Mesh& mesh,
                                           const ON_3dmObjectAttributes* attributes,
                                           CRhinoHistory* history, bool bReference) {
  if (history != nullptr) return nullptr; // this host records no construction history
  auto* object = new CRhinoMeshObject(DefaultAttributes(*this, attributes));
  object->SetMesh(mesh);
  return AddObject(object, bReference) ? object : nullptr;
}

CRhinoBrepObject* CRhinoDoc::AddBrepObject(const ON_Brep& brep,
                                           const ON_3dmObjectAttributes* attributes) {
  auto* object = new CRhinoBrepObject(DefaultAttributes(*this, attributes));
  object->SetBrep(brep);
  if (!AddObject(object)) return nullptr;
  // Render meshes are made at once so that what is drawn and picked is known
  // before the first frame.
  object->CreateMeshes(ON::render_mesh, object->GetRenderMeshParameters());
  return object;
}

CRhinoCurveObject* CRhinoDoc::AddCurveObject(const ON_PolylineCurve& curve,
                                             const ON_3dmObjectAttributes* attributes) {
  auto* object = new CRhinoCurveObject(DefaultAttributes(*this, attributes));
  object->SetCurve(curve);
  return AddObject(object) ? object : nullptr;
}

CRhinoInstanceObject* CRhinoDoc::AddInstanceObject(int instance_definition_index,
                                                   const ON_Xform& xform,
                                                   const ON_3dmObjectAttributes* attributes) {
  const CRhinoInstanceDefinition* def = m_idefs.InstanceDefinition(instance_definition_index);
  if (def == nullptr || def->IsDeleted() || !xform.IsValid()) return nullptr;
  auto* object = new CRhinoInstanceObject(DefaultAttributes(*this, attributes), def, xform);
  return AddObject(object) ? object : nullptr;
}

CRhinoClippingPlaneObject*
CRhinoDoc::AddClippingPlaneObject(const ON_Plane& plane, double half_width, double half_height,
                                  const ON_3dmObjectAttributes* attributes) {
  if (!plane.IsValid()) return nullptr;
  auto* object = new CRhinoClippingPlaneObject(DefaultAttributes(*this, attributes), plane,
                                               half_width, half_height);
  return AddObject(object) ? object : nullptr;
}

// ---------------------------------------------------- deleting, replacing

bool CRhinoDoc::DeleteObject(const CRhinoObjRef& objref, bool, bool bIgnoreModes) {
  CRhinoObject* object = const_cast<CRhinoObject*>(objref.Object());
  if (object == nullptr || object->m_doc != this || object->m_bDeleted) return false;
  if (!bIgnoreModes && object->Mode() != ON::normal_object) return false;
  object->m_selection = 0;
  object->m_bDeleted = true;
  if (!object->m_bReference) {
    if (CRhinoUndoRecord* r = RecordingUndo())
      r->AddObjectAction(CRhinoUndoRecord::deleted, object);
    m_bModified = true;
  }
  Fire([&](CRhinoEventWatcher& w) { w.OnDeleteObject(*this, *object); });
  return true;
}

bool CRhinoDoc::UndeleteObject(const CRhinoObject* object) {
  CRhinoObject* o = const_cast<CRhinoObject*>(object);
  if (o == nullptr || o->m_doc != this || !o->m_bDeleted) return false;
  bool bHeld = false;
  for (const CRhinoObject* p : m_objects)
    bHeld = bHeld || p == o;
  if (!bHeld) return false;
  if (CRhinoUndoRecord* r = RecordingUndo()) r->AddObjectAction(CRhinoUndoRecord::undeleted, o);
  RestoreDeleted(o);
  return true;
}

bool CRhinoDoc::ReplaceObject(const CRhinoObjRef& objref, CRhinoObject* new_object) {
  CRhinoObject* old_object = const_cast<CRhinoObject*>(objref.Object());
  const bool bOldOk = old_object != nullptr && old_object->m_doc == this && !old_object->m_bDeleted;
  if (!bOldOk || !AcceptObject(new_object)) {
    if (new_object != nullptr && new_object->m_doc == nullptr && new_object != old_object)
      delete new_object;
    return false;
  }
  new_object->m_attributes.m_uuid = old_object->m_attributes.m_uuid;
  new_object->m_doc = this;
  new_object->m_bReference = old_object->m_bReference;
  new_object->m_bDeleted = false;
  new_object->m_selection = 0;
  for (CRhinoObject*& slot : m_objects) {
    if (slot == old_object) {
      slot = new_object;
      break;
    }
  }
  old_object->m_bDeleted = true;
  old_object->m_selection = 0;
  m_objects.push_back(old_object);
  if (CRhinoUndoRecord* r = RecordingUndo())
    r->AddObjectAction(CRhinoUndoRecord::replaced, old_object, new_object);
  m_bModified = true;
  Fire([&](CRhinoEventWatcher& w) { w.OnReplaceObject(*this, *old_object, *new_object); });
  return true;
}

CRhinoObject* CRhinoDoc::TransformObject(const CRhinoObjRef& objref, const ON_Xform& xform,
                                         bool bDeleteOriginal, bool bIgnoreModes) {
  const CRhinoObject* object = objref.Object();
  if (object == nullptr || object->m_doc != this || object->m_bDeleted || !xform.IsValid())
    return nullptr;
  if (!bIgnoreModes && object->Mode() != ON::normal_object) return nullptr;
  CRhinoObject* copy = object->DuplicateRhinoObject();
  if (copy == nullptr) return nullptr;
  if (!copy->TransformGeometry(xform)) {
    delete copy;
    return nullptr;
  }
  if (bDeleteOriginal) return ReplaceObject(objref, copy) ? copy : nullptr;
  copy->m_attributes.m_uuid = ON_nil_uuid;
  return AddObject(copy) ? copy : nullptr;
}

// -------------------------------------------------------------- attributes

bool CRhinoDoc::ModifyObjectAttributes(const CRhinoObjRef& objref,
                                       const ON_3dmObjectAttributes& new_attributes, bool bQuiet) {
  CRhinoObject* object = const_cast<CRhinoObject*>(objref.Object());
  if (object == nullptr || object->m_doc != this || object->m_bDeleted) return false;
  // Move the old attributes out (their user data with them) so undo brings
  // back the very records, not copies.
  ON_3dmObjectAttributes old_attributes;
  old_attributes = object->m_attributes;
  old_attributes.PurgeUserData();
  old_attributes.MoveUserData(object->m_attributes);
  object->m_attributes = new_attributes;
  object->m_attributes.m_uuid = old_attributes.m_uuid;
  if (object->Mode() != ON::normal_object) object->m_selection = 0;
  m_bModified = true;
  if (!bQuiet)
    Fire(
        [&](CRhinoEventWatcher& w) { w.OnModifyObjectAttributes(*this, *object, old_attributes); });
  if (CRhinoUndoRecord* r = RecordingUndo())
    r->AddAttributesAction(object, std::move(old_attributes));
  return true;
}

void CRhinoDoc::FireModifyAttributes(CRhinoObject& object,
                                     const ON_3dmObjectAttributes& old_attributes) {
  m_bModified = true;
  Fire([&](CRhinoEventWatcher& w) { w.OnModifyObjectAttributes(*this, object, old_attributes); });
}

void CRhinoDoc::AttributeUserDataAttached(CRhinoObject& object, ON_UserData* user_data,
                                          const ON_3dmObjectAttributes& old_attributes) {
  if (CRhinoUndoRecord* r = RecordingUndo())
    r->AddUserDataAction(CRhinoUndoRecord::userdata_attached, &object, user_data);
  FireModifyAttributes(object, old_attributes);
}

void CRhinoDoc::AttributeUserDataDetached(CRhinoObject& object, ON_UserData* user_data,
                                          const ON_3dmObjectAttributes& old_attributes) {
  if (CRhinoUndoRecord* r = RecordingUndo())
    r->AddUserDataAction(CRhinoUndoRecord::userdata_detached, &object, user_data);
  else
    delete user_data;
  FireModifyAttributes(object, old_attributes);
}

bool CRhinoDoc::DetachAttributeUserDataForUndo(CRhinoObject* object, ON_UserData* user_data) {
  if (object == nullptr || user_data == nullptr || user_data->Owner() != &object->m_attributes)
    return false;
  const ON_3dmObjectAttributes old_attributes(object->m_attributes);
  object->m_attributes.DetachUserData(user_data);
  FireModifyAttributes(*object, old_attributes);
  return true;
}

bool CRhinoDoc::AttachAttributeUserDataForUndo(CRhinoObject* object, ON_UserData* user_data) {
  if (object == nullptr || user_data == nullptr) return false;
  const ON_3dmObjectAttributes old_attributes(object->m_attributes);
  if (!object->m_attributes.AttachUserData(user_data)) return false;
  FireModifyAttributes(*object, old_attributes);
  return true;
}

// ------------------------------------------------- undo / redo primitives

void CRhinoDoc::RemoveAdded(CRhinoObject* object) {
  if (object == nullptr || object->m_doc != this || object->m_bDeleted) return;
  object->m_bDeleted = true;
  object->m_selection = 0;
  m_bModified = true;
  Fire([&](CRhinoEventWatcher& w) { w.OnDeleteObject(*this, *object); });
}

void CRhinoDoc::RestoreDeleted(CRhinoObject* object) {
  if (object == nullptr || object->m_doc != this || !object->m_bDeleted) return;
  object->m_bDeleted = false;
  m_bModified = true;
  Fire([&](CRhinoEventWatcher& w) { w.OnUnDeleteObject(*this, *object); });
}

void CRhinoDoc::SwapReplaced(CRhinoObject* current, CRhinoObject* previous) {
  if (current == nullptr || previous == nullptr || current->m_bDeleted || !previous->m_bDeleted)
    return;
  CRhinoObject** current_slot = nullptr;
  CRhinoObject** previous_slot = nullptr;
  for (CRhinoObject*& slot : m_objects) {
    if (slot == current) current_slot = &slot;
    if (slot == previous) previous_slot = &slot;
  }
  if (current_slot == nullptr || previous_slot == nullptr) return;
  std::swap(*current_slot, *previous_slot);
  current->m_bDeleted = true;
  current->m_selection = 0;
  previous->m_bDeleted = false;
  m_bModified = true;
  Fire([&](CRhinoEventWatcher& w) { w.OnReplaceObject(*this, *current, *previous); });
}

void CRhinoDoc::SwapAttributes(CRhinoObject* object, ON_3dmObjectAttributes& attributes) {
  if (object == nullptr || object->m_doc != this) return;
  // A swap that moves the user data records themselves.
  ON_3dmObjectAttributes current;
  current = object->m_attributes;
  current.PurgeUserData();
  current.MoveUserData(object->m_attributes);
  object->m_attributes = attributes;
  object->m_attributes.PurgeUserData();
  object->m_attributes.MoveUserData(attributes);
  attributes = current;
  attributes.PurgeUserData();
  attributes.MoveUserData(current);
  if (object->Mode() != ON::normal_object) object->m_selection = 0;
  FireModifyAttributes(*object, attributes);
}

// ------------------------------------------------------------------ lookup

CRhinoObject* CRhinoDoc::LookupObject(const ON_UUID& id) const {
  if (ON_UuidIsNil(id)) return nullptr;
  for (CRhinoObject* o : m_objects)
    if (!o->m_bDeleted && o->m_attributes.m_uuid == id) return o;
  return nullptr;
}

CRhinoObject* CRhinoDoc::LookupObjectByRuntimeSerialNumber(unsigned int serial_number) const {
  if (serial_number == 0) return nullptr;
  for (CRhinoObject* o : m_objects)
    if (!o->m_bDeleted && o->RuntimeSerialNumber() == serial_number) return o;
  return nullptr;
}

int CRhinoDoc::ObjectCount() const {
  int n = 0;
  for (const CRhinoObject* o : m_objects)
    if (!o->m_bDeleted) ++n;
  return n;
}

void CRhinoDoc::ObjectSelectionChanged(const CRhinoObject& object) {
  if (object.IsSelected())
    Fire([&](CRhinoEventWatcher& w) { w.OnSelectObject(*this, object); });
  else
    Fire([&](CRhinoEventWatcher& w) { w.OnDeselectObject(*this, object); });
}

int CRhinoDoc::UnselectAll(bool bIgnorePersistentSelections) {
  int count = 0;
  IterationGuard guard(*this);
  for (size_t i = 0; i < m_objects.size(); ++i) {
    const CRhinoObject* o = m_objects[i];
    if (o->m_bDeleted || o->m_selection == 0) continue;
    if (bIgnorePersistentSelections && o->m_selection == 2) continue;
    o->Select(false);
    ++count;
  }
  return count;
}

// ------------------------------------------------------- object lifetime

CRhinoDoc::IterationGuard::IterationGuard(const CRhinoDoc& doc) : m_doc(doc) {
  ++m_doc.m_iteration_depth;
}

CRhinoDoc::IterationGuard::~IterationGuard() {
  --m_doc.m_iteration_depth;
}

int CRhinoDoc::PurgeDeletedObjects() {
  return FreeUnreachableObjects();
}

int CRhinoDoc::FreeUnreachableObjects() {
  // Objects are freed only at points where nobody can still hold them: no
  // walk over the document is running and no command is between its start
  // and end. Deleting never frees at once, so a caller may still read an
  // object it has just deleted.
  if (m_iteration_depth > 0 || !m_command_stack.empty()) return 0;
  CRhinoDoc* self = this;
  std::vector<CRhinoObject*> purge;
  std::vector<CRhinoObject*> keep;
  keep.reserve(m_objects.size());
  for (CRhinoObject* o : m_objects) {
    if (o->m_bDeleted && o->m_undo_references == 0)
      purge.push_back(o);
    else
      keep.push_back(o);
  }
  if (purge.empty()) return 0;
  m_objects.swap(keep);
  for (CRhinoObject* o : purge) {
    Fire([&](CRhinoEventWatcher& w) { w.OnPurgeObject(*self, *o); });
    o->m_doc = nullptr;
    delete o;
  }
  return static_cast<int>(purge.size());
}

CRhinoUndoRecord* CRhinoDoc::RecordingUndo() const {
  return m_undo ? m_undo->Recording() : nullptr;
}
