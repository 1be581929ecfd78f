#pragma once
// TL_MeshDistance: exact nearest-point queries on a mesh's surface.
//
// The mesh's faces (quads split along 0-2) are copied into a box tree once;
// queries then only read it, so one object may serve several threads.
// Distances are those of the triangles as given, in double precision: no
// tolerance is applied, so callers compare against their own.

#include <memory>

#include "meshtools_export.h"
#include "opennurbs_mesh.h"

class TL_EXPORT TL_MeshDistance {
public:
  // A mesh without faces gives an empty object: every query answers false.
  explicit TL_MeshDistance(const ON_Mesh& mesh);
  ~TL_MeshDistance();
  TL_MeshDistance(const TL_MeshDistance&) = delete;
  TL_MeshDistance& operator=(const TL_MeshDistance&) = delete;

  bool IsEmpty() const;

  // The distance from `point` to the surface, with the surface's nearest
  // point in `closest`. False for an empty surface or a point that is not
  // finite (the outputs are then left as they were).
  bool DistanceTo(const ON_3dPoint& point, double& distance, ON_3dPoint& closest) const;

  // The smallest distance between this surface and `other`, when it is
  // below `limit`, with the nearest point of each (`here` on this surface,
  // `there` on `other`). Surfaces that cross give a distance of 0 at some
  // point of the crossing. False when either is empty, `limit` is not
  // positive and finite, or the surfaces are `limit` or more apart.
  bool ClosestPoints(const TL_MeshDistance& other, double limit, double& distance, ON_3dPoint& here,
                     ON_3dPoint& there) const;

private:
  struct Tree;
  std::unique_ptr<Tree> m_tree;
};
