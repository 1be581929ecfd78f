// Candidate repair and the pair test of the clash computation.

#include "interfere/clash_geometry.h"

#include <cmath>
#include <memory>

#include "rhino_object.h"
#include "section/mesh_types.h"
#include "tl_heal_mesh.h"
#include "tl_mesh_boolean.h"
#include "tl_surface_contact.h"

namespace {

// Filled holes may add at most this share of the surface for the repair to
// count as closing gaps of a solid rather than inventing one.
constexpr double kMaxPatchShare = 0.01;

bool IsProperSolidRepair(const ON_Mesh& open, const ON_Mesh& repaired) {
  const double area = open.Area();
  const double added = std::fabs(repaired.Area() - area);
  return area > 0.0 && added <= kMaxPatchShare * area && repaired.Volume() > 0.0;
}

} // namespace

ON_Mesh* ClashCandidateMesh(ON_Mesh* mesh, double tolerance) {
  if (mesh == nullptr || mesh->IsClosed()) return mesh;

  auto stitched = std::make_unique<ON_Mesh>();
  if (TL_HealMesh(*mesh, *stitched, tolerance, true, false)) {
    delete mesh;
    return stitched.release();
  }
  auto filled = std::make_unique<ON_Mesh>();
  if (TL_HealMesh(*mesh, *filled, tolerance, true, true) && IsProperSolidRepair(*mesh, *filled)) {
    delete mesh;
    return filled.release();
  }
  const double area = mesh->Area();
  if (std::isfinite(area) && area > 0.0) return mesh;
  delete mesh;
  return nullptr;
}

bool SurfacesMayClash(const ON_Mesh* a, const ON_Mesh* b, double tolerance1, double tolerance2) {
  if (a == nullptr || b == nullptr) return false;
  ON_BoundingBox box = a->BoundingBox();
  if (!box.Intersection(b->BoundingBox())) return false;
  const bool b_closed = b->IsClosed();
  if (!a->IsClosed() && !b_closed) return false;
  // The operands in ClashTest's order, so each gets its own tolerance.
  const ON_Mesh* first = b_closed ? a : b;
  const ON_Mesh* second = b_closed ? b : a;
  return TL_SurfacesMayMeet(*first, *second, tolerance1, tolerance2);
}

bool ClashTest(const ON_Mesh* a, const ON_Mesh* b, ON_Mesh*& region, double tolerance1,
               double tolerance2) {
  region = nullptr;
  if (a == nullptr || b == nullptr) return false;
  ON_BoundingBox box = a->BoundingBox();
  if (!box.Intersection(b->BoundingBox())) return false;

  const bool a_closed = a->IsClosed();
  const bool b_closed = b->IsClosed();
  if (!a_closed && !b_closed) return false;

  // The open mesh goes first: it is the one split by the closed one.
  const ON_Mesh* first = b_closed ? a : b;
  const ON_Mesh* second = b_closed ? b : a;
  TL_MeshBoolean boolean(first, second);
  boolean.SetTolerances(tolerance1, tolerance2);

  auto result = std::make_unique<ON_Mesh>();
  bool ok = false;
  if (a_closed && b_closed) {
    ok = boolean.GetBooleanIntersection(*result);
  } else {
    ON_Mesh outside;
    ok = boolean.GetMeshASplit(outside, *result);
  }
  if (!ok) return false;
  region = result.release();
  return true;
}

ON_Mesh* ClashJoinedMesh(CRhinoObject& object, const ON_MeshParameters& parameters) {
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
