#include "rhino_event_watcher.h"

#include <algorithm>
#include <vector>

#include "rhino_event_dispatch.h"

namespace {

// Watchers of libraries that unload after the host's statics are destroyed
// still unregister, so the registry is never destroyed.
struct WatcherRegistry {
  std::vector<CRhinoEventWatcher*> watchers; // null: unregistered during delivery
  int delivery_depth = 0;
};

WatcherRegistry& Registry() {
  static WatcherRegistry* registry = new WatcherRegistry();
  return *registry;
}

void Compact(WatcherRegistry& r) {
  if (r.delivery_depth == 0)
    r.watchers.erase(std::remove(r.watchers.begin(), r.watchers.end(), nullptr), r.watchers.end());
}

} // namespace

namespace rhino_sdk_internal {

void ForEachWatcher(const std::function<void(CRhinoEventWatcher&)>& fn) {
  WatcherRegistry& r = Registry();
  // Watchers registered during this event first hear the next one.
  const size_t count = r.watchers.size();
  ++r.delivery_depth;
  for (size_t i = 0; i < count && i < r.watchers.size(); ++i) {
    CRhinoEventWatcher* w = r.watchers[i];
    if (w != nullptr && w->IsEnabled()) fn(*w);
  }
  --r.delivery_depth;
  Compact(r);
}

} // namespace rhino_sdk_internal

CRhinoEventWatcher::CRhinoEventWatcher() = default;

CRhinoEventWatcher::~CRhinoEventWatcher() {
  UnRegister();
}

void CRhinoEventWatcher::Register() {
  WatcherRegistry& r = Registry();
  if (std::find(r.watchers.begin(), r.watchers.end(), this) == r.watchers.end())
    r.watchers.push_back(this);
}

void CRhinoEventWatcher::UnRegister() {
  WatcherRegistry& r = Registry();
  for (auto& w : r.watchers)
    if (w == this) w = nullptr;
  Compact(r);
}

bool CRhinoEventWatcher::IsRegistered() const {
  const WatcherRegistry& r = Registry();
  return std::find(r.watchers.begin(), r.watchers.end(), this) != r.watchers.end();
}

void CRhinoEventWatcher::Enable(bool bEnable) {
  m_bEnabled = bEnable;
}
bool CRhinoEventWatcher::IsEnabled() const {
  return m_bEnabled;
}

void CRhinoEventWatcher::OnCloseDocument(CRhinoDoc&) {}
void CRhinoEventWatcher::OnNewDocument(CRhinoDoc&) {}
void CRhinoEventWatcher::OnBeginOpenDocument(CRhinoDoc&, const wchar_t*, bool, bool) {}
void CRhinoEventWatcher::OnEndOpenDocument(CRhinoDoc&, const wchar_t*, bool, bool) {}
void CRhinoEventWatcher::OnBeginSaveDocument(CRhinoDoc&, const wchar_t*, bool) {}
void CRhinoEventWatcher::OnEndSaveDocument(CRhinoDoc&, const wchar_t*, bool) {}
void CRhinoEventWatcher::OnDocumentPropertiesChanged(CRhinoDoc&) {}
void CRhinoEventWatcher::OnAppSettingsChanged() {}
void CRhinoEventWatcher::OnBeginCommand(CRhinoDoc&, const CRhinoCommand*) {}
void CRhinoEventWatcher::OnEndCommand(CRhinoDoc&, const CRhinoCommand*, int) {}
void CRhinoEventWatcher::OnAddObject(CRhinoDoc&, CRhinoObject&) {}
void CRhinoEventWatcher::OnDeleteObject(CRhinoDoc&, CRhinoObject&) {}
void CRhinoEventWatcher::OnReplaceObject(CRhinoDoc&, CRhinoObject&, CRhinoObject&) {}
void CRhinoEventWatcher::OnUnDeleteObject(CRhinoDoc&, CRhinoObject&) {}
void CRhinoEventWatcher::OnPurgeObject(CRhinoDoc&, CRhinoObject&) {}
void CRhinoEventWatcher::OnSelectObject(CRhinoDoc&, const CRhinoObject&) {}
void CRhinoEventWatcher::OnDeselectObject(CRhinoDoc&, const CRhinoObject&) {}
void CRhinoEventWatcher::OnModifyObjectAttributes(CRhinoDoc&, CRhinoObject&,
                                                  const ON_3dmObjectAttributes&) {}
void CRhinoEventWatcher::OnUpdateObjectMesh(CRhinoDoc&, CRhinoObject&, ON::mesh_type) {}
void CRhinoEventWatcher::LayerTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::LinetypeTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::InstanceDefinitionTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::LightTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::MaterialTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::TextureMappingTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::GroupTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::FontTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::DimStyleTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::HatchPatternTableEvent(table_event, CRhinoDoc&, int) {}
void CRhinoEventWatcher::OnCreateView(CRhinoView*) {}
void CRhinoEventWatcher::OnDestroyView(CRhinoView*) {}
void CRhinoEventWatcher::OnSetActiveView(CRhinoView*) {}
void CRhinoEventWatcher::UndoEvent(undo_event, unsigned int, const CRhinoCommand*) {}
