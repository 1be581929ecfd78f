#include "rhino_material_table.h"

#include "rhino_doc.h"
#include "rhino_event_dispatch.h"

namespace {

void FireMaterialEvent(CRhinoDoc* doc, CRhinoEventWatcher::table_event type, int index) {
  if (doc == nullptr) return;
  rhino_sdk_internal::ForEachWatcher(
      [&](CRhinoEventWatcher& w) { w.MaterialTableEvent(type, *doc, index); });
}

} // namespace

const ON_Material& CRhinoMaterialTable::DefaultMaterial() {
  static const ON_Material material;
  return material;
}

const ON_Material& CRhinoMaterialTable::operator[](int material_index) const {
  if (material_index < 0 || material_index >= MaterialCount()) return DefaultMaterial();
  return m_materials[static_cast<size_t>(material_index)];
}

int CRhinoMaterialTable::AddMaterial(const ON_Material& material) {
  ON_Material copy(material);
  copy.m_material_index = MaterialCount();
  if (ON_UuidIsNil(copy.m_material_id)) ON_CreateUuid(copy.m_material_id);
  m_materials.push_back(copy);
  const int index = MaterialCount() - 1;
  FireMaterialEvent(m_doc, CRhinoEventWatcher::table_added, index);
  return index;
}

bool CRhinoMaterialTable::ModifyMaterial(const ON_Material& material, int material_index) {
  if (material_index < 0 || material_index >= MaterialCount()) return false;
  ON_Material& target = m_materials[static_cast<size_t>(material_index)];
  const ON_UUID id = target.m_material_id;
  target = material;
  target.m_material_index = material_index;
  target.m_material_id = id;
  FireMaterialEvent(m_doc, CRhinoEventWatcher::table_modified, material_index);
  return true;
}

int CRhinoMaterialTable::FindMaterial(const wchar_t* name) const {
  if (name == nullptr) return -1;
  const ON_wString n(name);
  for (int i = 0; i < MaterialCount(); ++i)
    if (m_materials[static_cast<size_t>(i)].m_material_name == n) return i;
  return -1;
}
