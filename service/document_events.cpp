// Document events: whatever happened, the cutting meshes may be stale.
// The first event of a burst marks the document changed and switches the
// watcher off, so the rest of the burst costs nothing and the next frame
// rebuilds once.

#include "service/kyrel_service.h"

void CKyrelService::DocumentChanged() {
  m_bDocumentChanged = true;
  CRhinoEventWatcher::Enable(false);
}

void CKyrelService::OnNewDocument(CRhinoDoc&) {
  DocumentChanged();
}
void CKyrelService::OnEndOpenDocument(CRhinoDoc&, const wchar_t*, bool, bool) {
  DocumentChanged();
}
void CKyrelService::OnDocumentPropertiesChanged(CRhinoDoc&) {
  DocumentChanged();
}
void CKyrelService::OnAppSettingsChanged() {
  DocumentChanged();
}
void CKyrelService::OnBeginCommand(CRhinoDoc&, const CRhinoCommand*) {
  DocumentChanged();
}
void CKyrelService::OnEndCommand(CRhinoDoc&, const CRhinoCommand*, int) {
  DocumentChanged();
}
void CKyrelService::OnAddObject(CRhinoDoc&, CRhinoObject&) {
  DocumentChanged();
}
void CKyrelService::OnDeleteObject(CRhinoDoc&, CRhinoObject&) {
  DocumentChanged();
}
void CKyrelService::OnReplaceObject(CRhinoDoc&, CRhinoObject&, CRhinoObject&) {
  DocumentChanged();
}
void CKyrelService::OnUnDeleteObject(CRhinoDoc&, CRhinoObject&) {
  DocumentChanged();
}
void CKyrelService::OnModifyObjectAttributes(CRhinoDoc&, CRhinoObject&,
                                             const ON_3dmObjectAttributes&) {
  DocumentChanged();
}
void CKyrelService::OnUpdateObjectMesh(CRhinoDoc&, CRhinoObject&, ON::mesh_type) {
  DocumentChanged();
}
void CKyrelService::LayerTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::LinetypeTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::InstanceDefinitionTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::LightTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::MaterialTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::TextureMappingTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::GroupTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::FontTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::DimStyleTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::HatchPatternTableEvent(table_event, CRhinoDoc&, int) {
  DocumentChanged();
}
void CKyrelService::UndoEvent(undo_event, unsigned int, const CRhinoCommand*) {
  DocumentChanged();
}
