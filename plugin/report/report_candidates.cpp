// The report's candidates, gathered as the clash computation gathers its
// own: what is measured is what was tested.

#include "report_candidates.h"

#include "interfere/clash_geometry.h"
#include "section/mesh_types.h"

namespace {

ON_Mesh* JoinedMesh(CRhinoObject& object, const ON_MeshParameters& parameters) {
  const ON::mesh_type type = ObjectMeshType(object);
  if (!object.IsMeshable(type)) return nullptr;
  if (object.MeshCount(type, &parameters) == 0) object.CreateMeshes(type, parameters, false);
  ON_SimpleArray<const ON_Mesh*> meshes;
  if (object.GetMeshes(type, meshes) <= 0) return nullptr;
  auto* joined = new ON_Mesh();
  for (int i = 0; i < meshes.Count(); ++i)
    if (meshes[i] != nullptr && meshes[i]->FaceCount() > 0) joined->Append(*meshes[i]);
  if (joined->FaceCount() > 0) return joined;
  delete joined;
  return nullptr;
}

} // namespace

std::vector<ReportCandidate>
CollectReportCandidates(CRhinoDoc& doc, const ON_MeshParameters& parameters, double tolerance) {
  std::vector<ReportCandidate> candidates;
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    ON_Mesh* joined = JoinedMesh(*object, parameters);
    if (joined == nullptr) continue;
    ON_Mesh* mesh = ClashCandidateMesh(joined, tolerance);
    if (mesh == nullptr) continue;
    ReportCandidate candidate;
    candidate.id = object->ModelObjectId();
    candidate.object = object;
    candidate.mesh.reset(mesh);
    candidate.box = mesh->BoundingBox();
    candidates.push_back(std::move(candidate));
  }
  return candidates;
}

const ReportCandidate* FindCandidate(const std::vector<ReportCandidate>& candidates,
                                     const ON_UUID& id) {
  for (const ReportCandidate& c : candidates)
    if (c.id == id) return &c;
  return nullptr;
}
