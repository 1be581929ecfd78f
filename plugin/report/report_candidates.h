#pragma once
// The objects a clash report measures: every object the clash computation
// takes part with, reduced to the very mesh the computation tests (joined
// from the object's display meshes with the engine's meshing settings,
// then repaired the same way), with a distance tree over its surface.

#include <memory>
#include <vector>

#include "opennurbs.h"
#include "rhinoSdk.h"
#include "tl_mesh_distance.h"

struct ReportCandidate {
  ON_UUID id = ON_nil_uuid;
  const CRhinoObject* object = nullptr; // the document's, not owned
  std::unique_ptr<ON_Mesh> mesh;        // never null
  ON_BoundingBox box;

  // The distance tree over the mesh, built on first use: most objects of a
  // large model neither clash nor come near another.
  const TL_MeshDistance& Surface() const {
    if (!m_surface) m_surface = std::make_unique<TL_MeshDistance>(*mesh);
    return *m_surface;
  }

private:
  mutable std::unique_ptr<TL_MeshDistance> m_surface;
};

// In the computation's order (the object iterator's), so candidate i < j
// means "Object A" is i. `tolerance` is the repair tolerance.
std::vector<ReportCandidate>
CollectReportCandidates(CRhinoDoc& doc, const ON_MeshParameters& parameters, double tolerance);

// The candidate with that id, or null.
const ReportCandidate* FindCandidate(const std::vector<ReportCandidate>& candidates,
                                     const ON_UUID& id);
