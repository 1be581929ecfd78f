// TL_MeshBoolean over the plain-mesh core: convert, run, convert back. The
// inputs are converted in full before a result is written, so a result mesh
// may be one of the inputs.
#include "tl_mesh_boolean.h"

#include "on_mesh_bridge.h"
#include "refined_cuts.h"
#include "solid_ops.h"

TL_MeshBoolean::TL_MeshBoolean(const ON_Mesh* A, const ON_Mesh* B)
    : a_(A), b_(B), tolerance_a_(TL_BOOLEAN_TOLERANCE), tolerance_b_(TL_BOOLEAN_TOLERANCE) {}

void TL_MeshBoolean::SetTolerances(double tolerance_A, double tolerance_B) {
  tolerance_a_ = tolerance_A;
  tolerance_b_ = tolerance_B;
}

bool TL_MeshBoolean::GetBooleanIntersection(ON_Mesh* result) {
  if (result == nullptr) failure_ = Failure::kError;
  return result != nullptr && GetBooleanIntersection(*result);
}

bool TL_MeshBoolean::GetBooleanDifference(ON_Mesh* result) {
  if (result == nullptr) failure_ = Failure::kError;
  return result != nullptr && GetBooleanDifference(*result);
}

bool TL_MeshBoolean::GetMeshASplit(ON_Mesh* outside, ON_Mesh* inside) {
  if (outside == nullptr || inside == nullptr) failure_ = Failure::kError;
  return outside != nullptr && inside != nullptr && GetMeshASplit(*outside, *inside);
}

namespace {

using Failure = TL_MeshBoolean::Failure;

Failure FailureOf(meshtools::Outcome outcome, meshtools::Refusal why) {
  switch (outcome) {
  case meshtools::Outcome::kDone:
    return Failure::kNone;
  case meshtools::Outcome::kNotCut:
    return Failure::kNotCut;
  default:
    break;
  }
  switch (why) {
  case meshtools::Refusal::kUnfitA:
    return Failure::kUnfitA;
  case meshtools::Refusal::kUnfitB:
    return Failure::kUnfitB;
  case meshtools::Refusal::kSelfIntersecting:
    return Failure::kSelfIntersecting;
  case meshtools::Refusal::kNoValidResult:
    return Failure::kNoValidResult;
  default:
    return Failure::kError;
  }
}

// A refusal for self-intersection is tried once more on refined copies;
// `refined` tells whether the outcome came from them.
Failure Combine(const ON_Mesh* a, const ON_Mesh* b, meshtools::SolidOperation op, double ta,
                double tb, ON_Mesh& result, bool& refined) {
  if (a == nullptr || b == nullptr) return Failure::kError;
  try {
    meshtools::TriMesh ma, mb, r;
    if (!meshtools::ToTriMesh(*a, ma)) return Failure::kUnfitA;
    if (!meshtools::ToTriMesh(*b, mb)) return Failure::kUnfitB;
    meshtools::Refusal why = meshtools::Refusal::kNone;
    meshtools::Outcome outcome = meshtools::CombineSolids(ma, mb, op, ta, tb, r, &why);
    if (outcome == meshtools::Outcome::kRejected && why == meshtools::Refusal::kSelfIntersecting) {
      refined = true;
      outcome = meshtools::CombineRefined(ma, mb, op, ta, tb, r, &why);
    }
    if (outcome != meshtools::Outcome::kDone) return FailureOf(outcome, why);
    meshtools::ToONMesh(r, result);
    return Failure::kNone;
  } catch (...) {
    return Failure::kError; // CGAL errors and allocation failures alike: no result
  }
}

Failure Split(const ON_Mesh* a, const ON_Mesh* b, double ta, double tb, ON_Mesh& outside,
              ON_Mesh& inside, bool& refined) {
  if (a == nullptr || b == nullptr || &outside == &inside) return Failure::kError;
  try {
    meshtools::TriMesh ma, mb, out, in;
    if (!meshtools::ToTriMesh(*a, ma)) return Failure::kUnfitA;
    if (!meshtools::ToTriMesh(*b, mb)) return Failure::kUnfitB;
    meshtools::Refusal why = meshtools::Refusal::kNone;
    meshtools::Outcome outcome = meshtools::SplitSurface(ma, mb, ta, tb, out, in, &why);
    if (outcome == meshtools::Outcome::kRejected && why == meshtools::Refusal::kSelfIntersecting) {
      refined = true;
      outcome = meshtools::SplitRefined(ma, mb, ta, tb, out, in, &why);
    }
    if (outcome != meshtools::Outcome::kDone) return FailureOf(outcome, why);
    meshtools::ToONMesh(out, outside);
    meshtools::ToONMesh(in, inside);
    return Failure::kNone;
  } catch (...) {
    return Failure::kError;
  }
}

} // namespace

bool TL_MeshBoolean::GetBooleanIntersection(ON_Mesh& result) {
  refined_ = false;
  failure_ = Combine(a_, b_, meshtools::SolidOperation::kIntersection, tolerance_a_, tolerance_b_,
                     result, refined_);
  return failure_ == Failure::kNone;
}

bool TL_MeshBoolean::GetBooleanDifference(ON_Mesh& result) {
  refined_ = false;
  failure_ = Combine(a_, b_, meshtools::SolidOperation::kDifference, tolerance_a_, tolerance_b_,
                     result, refined_);
  return failure_ == Failure::kNone;
}

bool TL_MeshBoolean::GetMeshASplit(ON_Mesh& outside, ON_Mesh& inside) {
  refined_ = false;
  failure_ = Split(a_, b_, tolerance_a_, tolerance_b_, outside, inside, refined_);
  return failure_ == Failure::kNone;
}
