#pragma once
// The objects a clash report measures: every object the clash computation
// takes part with, reduced to the very mesh the computation tests (joined
// from the object's display meshes with the engine's meshing settings,
// then repaired the same way), plus a distance tree over its surface.

#include <memory>
#include <vector>

#include "opennurbs.h"
#include "rhinoSdk.h"
#include "tl_mesh_distance.h"

struct ReportCandidate {
  ON_UUID id = ON_nil_uuid;
  const CRhinoObject* object = nullptr; // the document's, not owned
  std::unique_ptr<ON_Mesh> mesh;        // never null
  std::unique_ptr<TL_MeshDistance> surface;
  ON_BoundingBox box;
};

// In the computation's order (the object iterator's), so candidate i < j
// means "Object A" is i. `tolerance` is the repair tolerance.
std::vector<ReportCandidate>
CollectReportCandidates(CRhinoDoc& doc, const ON_MeshParameters& parameters, double tolerance);

// The candidate with that id, or null.
const ReportCandidate* FindCandidate(const std::vector<ReportCandidate>& candidates,
                                     const ON_UUID& id);
