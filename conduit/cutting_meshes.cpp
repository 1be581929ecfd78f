// The cutting meshes: two lists of closed meshes the conduit owns, the
// union of every Intersection cutter (only what lies inside stays) and the
// union of every Difference cutter (what lies inside is removed).
//
// Sources are the document's cutting objects (whose joined, closed mesh is
// cached in their TV_SectionGeometry) and the clients' clipping objects.
// An update counts the sources and rebuilds the unions only when a source
// asked for it (m_rebuild_level) or the number of sources changed; a
// rebuild invalidates every section cache, and losing the last source
// destroys them.

#include "conduit/kyrel_conduit.h"
#include "section/mesh_types.h"
#include "tl_mesh_boolean.h"
#include "tl_mesh_union.h"
#include "userdata/section_geometry.h"

namespace {

namespace CuttingMode = Tarvik::Vantrel::CuttingMode;

// Both tolerances of every mesh boolean of the service.

// Number of cutting sources the last completed update counted.
int s_last_cutter_count = 0;

// Joins the object's meshes of `type` into the record's mesh, meshing the
// object first when it has none. Leaves the record invalid when the object
// cannot be meshed or the joined mesh is not closed.
void BuildCuttingMesh(CRhinoObject& object, ON::mesh_type type, TV_SectionGeometry& geometry) {
  if (!object.IsMeshable(type)) return;
  const ON_MeshParameters parameters = ObjectMeshParameters(object, type);
  if (object.MeshCount(type, &parameters) == 0) object.CreateMeshes(type, parameters, false);
  ON_SimpleArray<const ON_Mesh*> meshes;
  object.GetMeshes(type, meshes);
  // An invalid record's mesh is normally empty already; starting from an
  // empty mesh keeps a stray leftover from being joined in twice.
  geometry.m_mesh.Destroy();
  for (int i = 0; i < meshes.Count(); ++i)
    if (meshes[i] != nullptr) geometry.m_mesh.Append(*meshes[i]);
  geometry.m_bValid = geometry.m_mesh.IsClosed();
}

// Fills `output` from `sources`: their union for two or more, a copy of
// the one source, or nothing.
void CombineSources(const ON_SimpleArray<const ON_Mesh*>& sources,
                    ON_SimpleArray<ON_Mesh*>& output) {
  if (sources.Count() >= 2) {
    // Whatever the union manages to append still cuts; whether every
    // source took part is not used.
    bool all_joined = false;
    TL_MeshBooleanUnion(sources, TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE, &all_joined, output);
  } else if (sources.Count() == 1) {
    output.Append(new ON_Mesh(*sources[0]));
  }
}

} // namespace

void CKyrelConduit::UpdateCuttingMeshes(ON::mesh_type type) {
  if (m_pDoc == nullptr) return;
  ON_SimpleArray<const ON_Mesh*> intersection_sources;
  ON_SimpleArray<const ON_Mesh*> difference_sources;
  int source_count = 0;

  CRhinoObjectIterator it(*m_pDoc, CRhinoObjectIterator::all_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    auto* geometry =
        TV_SectionGeometry::Cast(object->GetAttributeUserData(TV_SectionGeometry::UUID()));
    if (geometry == nullptr) continue;
    ++source_count;
    if (!geometry->m_bValid) {
      BuildCuttingMesh(*object, type, *geometry);
      if (!geometry->m_bValid && object->IsMeshable(type) &&
          object->DeleteAttributeUserData(TV_SectionGeometry::UUID()))
        geometry = nullptr; // not closed: the object stops being a cutter
      m_rebuild_level = 2;
    } else if (geometry->m_update_stamp < m_notify_count - 1u) {
      // Not taken into the cutting meshes in the previous counted frame.
      m_rebuild_level = 2;
    }
    if (geometry != nullptr && geometry->m_bValid) {
      geometry->m_update_stamp = m_notify_count;
      if (geometry->m_mode == CuttingMode::Intersection)
        intersection_sources.Append(&geometry->m_mesh);
      else if (geometry->m_mode == CuttingMode::Difference)
        difference_sources.Append(&geometry->m_mesh);
    }
  }

  for (int i = 0; i < m_clipping_objects.Count(); ++i) {
    Tarvik::Vantrel::IClippingObject* clipper = m_clipping_objects[i];
    const int mode = clipper->ClippingMode();
    if (mode == CuttingMode::None) continue;
    ++source_count;
    const int level = clipper->ChangeLevel();
    if (level == 0) continue;
    if (level > m_rebuild_level) m_rebuild_level = level;
    if (!clipper->IsMeshReady()) continue;
    const ON_Mesh* mesh = clipper->Mesh();
    if (mesh == nullptr || !mesh->IsClosed()) continue;
    if (mode == CuttingMode::Intersection)
      intersection_sources.Append(mesh);
    else if (mode == CuttingMode::Difference)
      difference_sources.Append(mesh);
  }

  // The clash display does not cut; its meshes stay as they are until it
  // is switched off.
  if (IsInterfereEnabled()) return;

  if (source_count == 0) {
    DiscardCuttingMeshes();
    DestroyCaches(*m_pDoc);
    s_last_cutter_count = 0;
    return;
  }
  if (m_rebuild_level == 0 && source_count == s_last_cutter_count) return;

  DiscardCuttingMeshes();
  CombineSources(intersection_sources, m_intersection_meshes);
  CombineSources(difference_sources, m_difference_meshes);
  InvalidateCaches(*m_pDoc);
  m_rebuild_level = 0;
  s_last_cutter_count = source_count;
}

void CKyrelConduit::DiscardCuttingMeshes() {
  // Builds made ahead were cut by the meshes going away.
  DropBuildsAhead();
  for (ON_SimpleArray<ON_Mesh*>* list : {&m_intersection_meshes, &m_difference_meshes}) {
    for (int i = 0; i < list->Count(); ++i)
      delete (*list)[i];
    list->Empty();
    list->SetCapacity(0);
  }
}
