#include "rhino_layer_table.h"

#include "rhino_doc.h"
#include "rhino_event_dispatch.h"
#include "rhino_undo.h"

namespace {

void FireLayerEvent(CRhinoDoc* doc, CRhinoEventWatcher::table_event type, int index) {
  if (doc == nullptr) return;
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.LayerTableEvent(type, *doc, index); });
}

} // namespace

CRhinoLayerTable::CRhinoLayerTable(CRhinoDoc* doc) : m_doc(doc) {
  ON_Layer layer;
  layer.SetName(L"Default");
  layer.SetIndex(0);
  ON_CreateUuid(layer.m_layer_id);
  m_layers.push_back(layer);
  m_deleted.push_back(false);
}

const ON_Layer& CRhinoLayerTable::operator[](int layer_index) const {
  return IsValidIndex(layer_index) ? m_layers[static_cast<size_t>(layer_index)] : m_layers.front();
}

int CRhinoLayerTable::AddLayer(const ON_Layer& layer) {
  if (!layer.Name().IsEmpty() && FindLayer(layer.Name().Array()) >= 0) return -1;
  ON_Layer copy(layer);
  copy.SetIndex(LayerCount());
  if (ON_UuidIsNil(copy.m_layer_id)) ON_CreateUuid(copy.m_layer_id);
  m_layers.push_back(copy);
  m_deleted.push_back(false);
  const int index = LayerCount() - 1;
  if (m_doc != nullptr)
    if (CRhinoUndoRecord* r = m_doc->RecordingUndo())
      r->AddDefinitionAction(CRhinoUndoRecord::layer_added, index);
  FireLayerEvent(m_doc, CRhinoEventWatcher::table_added, index);
  return index;
}

bool CRhinoLayerTable::ModifyLayer(const ON_Layer& layer, int layer_index) {
  if (!IsValidIndex(layer_index)) return false;
  ON_Layer& target = m_layers[static_cast<size_t>(layer_index)];
  const ON_UUID id = target.m_layer_id;
  target = layer;
  target.SetIndex(layer_index);
  target.m_layer_id = id;
  FireLayerEvent(m_doc, CRhinoEventWatcher::table_modified, layer_index);
  return true;
}

bool CRhinoLayerTable::DeleteLayer(int layer_index) {
  if (!IsValidIndex(layer_index) || layer_index == 0 || layer_index == m_current) return false;
  if (m_deleted[static_cast<size_t>(layer_index)]) return false;
  m_deleted[static_cast<size_t>(layer_index)] = true;
  if (m_doc != nullptr)
    if (CRhinoUndoRecord* r = m_doc->RecordingUndo())
      r->AddDefinitionAction(CRhinoUndoRecord::layer_deleted, layer_index);
  FireLayerEvent(m_doc, CRhinoEventWatcher::table_deleted, layer_index);
  return true;
}

void CRhinoLayerTable::SetDeletedForUndo(int layer_index, bool bDeleted) {
  // The current layer stays usable: an undo that would delete it leaves it.
  if (!IsValidIndex(layer_index) || layer_index == 0 ||
      (bDeleted && layer_index == m_current) ||
      m_deleted[static_cast<size_t>(layer_index)] == bDeleted)
    return;
  m_deleted[static_cast<size_t>(layer_index)] = bDeleted;
  FireLayerEvent(m_doc, bDeleted ? CRhinoEventWatcher::table_deleted
                                 : CRhinoEventWatcher::table_undeleted,
                 layer_index);
}

bool CRhinoLayerTable::IsDeleted(int layer_index) const {
  return IsValidIndex(layer_index) && m_deleted[static_cast<size_t>(layer_index)];
}

int CRhinoLayerTable::FindLayer(const wchar_t* name) const {
  if (name == nullptr) return -1;
  const ON_wString n(name);
  for (int i = 0; i < LayerCount(); ++i)
    if (!m_deleted[static_cast<size_t>(i)] && m_layers[static_cast<size_t>(i)].Name() == n)
      return i;
  return -1;
}

bool CRhinoLayerTable::SetCurrentLayerIndex(int layer_index) {
  if (!IsValidIndex(layer_index) || IsDeleted(layer_index)) return false;
  m_current = layer_index;
  FireLayerEvent(m_doc, CRhinoEventWatcher::table_current_changed, layer_index);
  return true;
}
