// The report's candidates, gathered as the clash computation gathers its
// own: what is measured is what was tested.

#include "report_candidates.h"

#include "interfere/clash_geometry.h"

std::vector<ReportCandidate>
CollectReportCandidates(CRhinoDoc& doc, const ON_MeshParameters& parameters, double tolerance) {
  std::vector<ReportCandidate> candidates;
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    ON_Mesh* joined = ClashJoinedMesh(*object, parameters);
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
