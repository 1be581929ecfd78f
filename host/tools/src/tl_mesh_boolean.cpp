// TL_MeshBoolean over the plain-mesh core: convert, run, convert back. The
// inputs are converted in full before a result is written, so a result mesh
// may be one of the inputs.
#include "tl_mesh_boolean.h"

#include "on_mesh_bridge.h"
#include "solid_ops.h"

namespace {


} // namespace

TL_MeshBoolean::TL_MeshBoolean(const ON_Mesh* A, const ON_Mesh* B)
    : a_(A), b_(B), tolerance_a_(TL_BOOLEAN_TOLERANCE), tolerance_b_(TL_BOOLEAN_TOLERANCE) {}

void TL_MeshBoolean::SetTolerances(double tolerance_A, double tolerance_B) {
  tolerance_a_ = tolerance_A;
  tolerance_b_ = tolerance_B;
}

bool TL_MeshBoolean::GetBooleanIntersection(ON_Mesh* result) {
  return result != nullptr && GetBooleanIntersection(*result);
}

bool TL_MeshBoolean::GetBooleanDifference(ON_Mesh* result) {
  return result != nullptr && GetBooleanDifference(*result);
}

bool TL_MeshBoolean::GetMeshASplit(ON_Mesh* outside, ON_Mesh* inside) {
  return outside != nullptr && inside != nullptr && GetMeshASplit(*outside, *inside);
}

namespace {

bool Combine(const ON_Mesh* a, const ON_Mesh* b, meshtools::SolidOperation op, double ta, double tb,
             ON_Mesh& result) {
  if (a == nullptr || b == nullptr) return false;
  try {
    meshtools::TriMesh ma, mb, r;
    if (!meshtools::ToTriMesh(*a, ma) || !meshtools::ToTriMesh(*b, mb)) return false;
    if (meshtools::CombineSolids(ma, mb, op, ta, tb, r) != meshtools::Outcome::kDone) return false;
    meshtools::ToONMesh(r, result);
    return true;
  } catch (...) {
    return false; // CGAL errors and allocation failures alike: no result
  }
}

} // namespace

bool TL_MeshBoolean::GetBooleanIntersection(ON_Mesh& result) {
  return Combine(a_, b_, meshtools::SolidOperation::kIntersection, tolerance_a_, tolerance_b_,
                 result);
}

bool TL_MeshBoolean::GetBooleanDifference(ON_Mesh& result) {
  return Combine(a_, b_, meshtools::SolidOperation::kDifference, tolerance_a_, tolerance_b_,
                 result);
}

bool TL_MeshBoolean::GetMeshASplit(ON_Mesh& outside, ON_Mesh& inside) {
  if (a_ == nullptr || b_ == nullptr || &outside == &inside) return false;
  try {
    meshtools::TriMesh ma, mb, out, in;
    if (!meshtools::ToTriMesh(*a_, ma) || !meshtools::ToTriMesh(*b_, mb)) return false;
    if (meshtools::SplitSurface(ma, mb, tolerance_a_, tolerance_b_, out, in) !=
        meshtools::Outcome::kDone)
      return false;
    meshtools::ToONMesh(out, outside);
    meshtools::ToONMesh(in, inside);
    return true;
  } catch (...) {
    return false;
  }
}
