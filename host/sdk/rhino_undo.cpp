#include "rhino_undo.h"

#include "rhino_doc.h"
#include "rhino_event_dispatch.h"

// ------------------------------------------------------------------ record

CRhinoUndoRecord::~CRhinoUndoRecord() {
  for (Action& a : m_actions) {
    if (a.bOwnsUserData) delete a.userdata;
    Release(a.object);
    Release(a.other);
  }
}

void CRhinoUndoRecord::Hold(CRhinoObject* object) {
  if (object != nullptr) ++object->m_undo_references;
}

void CRhinoUndoRecord::Release(CRhinoObject* object) {
  if (object != nullptr && object->m_undo_references > 0) --object->m_undo_references;
}

void CRhinoUndoRecord::AddDefinitionAction(action_kind kind, int index) {
  Action a;
  a.kind = kind;
  a.definition = index;
  m_actions.push_back(std::move(a));
}

void CRhinoUndoRecord::AddObjectAction(action_kind kind, CRhinoObject* object,
                                       CRhinoObject* other) {
  Action a;
  a.kind = kind;
  a.object = object;
  a.other = other;
  Hold(object);
  Hold(other);
  m_actions.push_back(std::move(a));
}

void CRhinoUndoRecord::AddAttributesAction(CRhinoObject* object,
                                           ON_3dmObjectAttributes&& old_attributes) {
  Action a;
  a.kind = attributes_changed;
  a.object = object;
  a.attributes = std::make_unique<ON_3dmObjectAttributes>();
  // Move, not copy, so records that would not survive a copy come back too.
  *a.attributes = old_attributes;
  a.attributes->PurgeUserData();
  a.attributes->MoveUserData(old_attributes);
  Hold(object);
  m_actions.push_back(std::move(a));
}

void CRhinoUndoRecord::AddUserDataAction(action_kind kind, CRhinoObject* object,
                                         ON_UserData* user_data) {
  Action a;
  a.kind = kind;
  a.object = object;
  a.userdata = user_data;
  a.bOwnsUserData = (kind == userdata_detached);
  Hold(object);
  m_actions.push_back(std::move(a));
}

void CRhinoUndoRecord::Undo(CRhinoDoc& doc) {
  for (auto it = m_actions.rbegin(); it != m_actions.rend(); ++it)
    Apply(doc, *it, true);
}

void CRhinoUndoRecord::Redo(CRhinoDoc& doc) {
  for (Action& a : m_actions)
    Apply(doc, a, false);
}

void CRhinoUndoRecord::Apply(CRhinoDoc& doc, Action& a, bool bUndo) {
  switch (a.kind) {
  case added:
    if (bUndo)
      doc.RemoveAdded(a.object);
    else
      doc.RestoreDeleted(a.object);
    break;
  case deleted:
    if (bUndo)
      doc.RestoreDeleted(a.object);
    else
      doc.RemoveAdded(a.object);
    break;
  case undeleted:
    if (bUndo)
      doc.RemoveAdded(a.object);
    else
      doc.RestoreDeleted(a.object);
    break;
  case replaced:
    if (bUndo)
      doc.SwapReplaced(a.other, a.object);
    else
      doc.SwapReplaced(a.object, a.other);
    break;
  case attributes_changed:
    if (a.attributes) doc.SwapAttributes(a.object, *a.attributes);
    break;
  case userdata_attached:
  case userdata_detached: {
    // Undoing an attach and redoing a detach both take the record off.
    const bool bDetach = (a.kind == userdata_attached) == bUndo;
    if (bDetach && !a.bOwnsUserData) {
      if (doc.DetachAttributeUserDataForUndo(a.object, a.userdata)) a.bOwnsUserData = true;
    } else if (!bDetach && a.bOwnsUserData) {
      if (doc.AttachAttributeUserDataForUndo(a.object, a.userdata)) a.bOwnsUserData = false;
    }
    break;
  }
  case definition_added:
  case definition_deleted:
    // A definition is never removed from its table, only marked deleted,
    // so its index stays valid for the record.
    doc.InstanceDefinitionTable().SetDeletedForUndo(a.definition,
                                                    (a.kind == definition_added) == bUndo);
    break;
  case layer_added:
  case layer_deleted:
    doc.LayerTable().SetDeletedForUndo(a.definition, (a.kind == layer_added) == bUndo);
    break;
  }
}

// ----------------------------------------------------------------- history

unsigned int CRhinoUndoHistory::Begin(const CRhinoCommand* command) {
  const unsigned int serial = m_next_serial++;
  m_recording = std::make_unique<CRhinoUndoRecord>(serial, command);
  return serial;
}

bool CRhinoUndoHistory::End(unsigned int* serial, const CRhinoCommand** command) {
  std::unique_ptr<CRhinoUndoRecord> record = std::move(m_recording);
  if (!record) return false;
  if (serial) *serial = record->Serial();
  if (command) *command = record->Command();
  if (record->IsEmpty()) return false;
  while (!m_redo.empty()) {
    std::unique_ptr<CRhinoUndoRecord> r = std::move(m_redo.back());
    m_redo.pop_back();
    Purge(std::move(r));
  }
  m_undo.push_back(std::move(record));
  Trim();
  return true;
}

bool CRhinoUndoHistory::Undo() {
  if (m_recording || m_undo.empty()) return false;
  std::unique_ptr<CRhinoUndoRecord> record = std::move(m_undo.back());
  m_undo.pop_back();
  const unsigned int serial = record->Serial();
  const CRhinoCommand* command = record->Command();
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.UndoEvent(CRhinoEventWatcher::begin_undo, serial, command); });
  record->Undo(m_doc);
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.UndoEvent(CRhinoEventWatcher::end_undo, serial, command); });
  m_redo.push_back(std::move(record));
  return true;
}

bool CRhinoUndoHistory::Redo() {
  if (m_recording || m_redo.empty()) return false;
  std::unique_ptr<CRhinoUndoRecord> record = std::move(m_redo.back());
  m_redo.pop_back();
  const unsigned int serial = record->Serial();
  const CRhinoCommand* command = record->Command();
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.UndoEvent(CRhinoEventWatcher::begin_redo, serial, command); });
  record->Redo(m_doc);
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.UndoEvent(CRhinoEventWatcher::end_redo, serial, command); });
  m_undo.push_back(std::move(record));
  return true;
}

void CRhinoUndoHistory::Purge(std::unique_ptr<CRhinoUndoRecord> record) {
  if (!record) return;
  const unsigned int serial = record->Serial();
  const CRhinoCommand* command = record->Command();
  rhino_sdk_internal::ForEachWatcher([&](CRhinoEventWatcher& w) {
    w.UndoEvent(CRhinoEventWatcher::purge_record, serial, command);
  });
  record.reset();
}

void CRhinoUndoHistory::Trim() {
  while (static_cast<int>(m_undo.size()) > m_max) {
    std::unique_ptr<CRhinoUndoRecord> r = std::move(m_undo.front());
    m_undo.pop_front();
    Purge(std::move(r));
  }
}

void CRhinoUndoHistory::Clear() {
  while (!m_redo.empty()) {
    std::unique_ptr<CRhinoUndoRecord> r = std::move(m_redo.back());
    m_redo.pop_back();
    Purge(std::move(r));
  }
  while (!m_undo.empty()) {
    std::unique_ptr<CRhinoUndoRecord> r = std::move(m_undo.back());
    m_undo.pop_back();
    Purge(std::move(r));
  }
}

void CRhinoUndoHistory::SetMax(int count) {
  m_max = count < 1 ? 1 : count;
  Trim();
}
