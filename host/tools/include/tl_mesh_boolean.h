#pragma once
// TL_MeshBoolean: intersection, difference and split of two meshes.
//
// A and B are borrowed, read-only, and must outlive the object; either may
// be null (every operation then returns false). Result meshes are the
// caller's: on true they are replaced by the result (triangles, single
// precision vertices, face normals; vertex normals and texture coordinates
// are not carried over); on false they are left as they were. A result mesh
// may be A or B itself: the inputs are read completely before it is written.
//
// Inputs may have quads (split along the shorter diagonal) and may be welded
// badly (brep render meshes with a seam per face): before anything else each
// input's vertices are welded (see SetTolerances), collapsed, degenerate and
// duplicate faces are dropped, and a closed input is oriented outward shell by
// shell (an inward shell inside an outward one's box stays a cavity).
//
// Surfaces that touch along a curve or share part of a face count as
// meeting: the result is computed exactly, and may have no faces (the
// intersection of solids touching from outside). So do the surfaces of one
// solid twice, which coincide everywhere: their intersection is the whole
// solid and their difference has no faces. That spares the caller a
// point test whose point might lie on the shared face.
//
// Every operation returns false, never throws and never changes its inputs
// when:
//   - the surfaces do not meet (disjoint, or one solid wholly inside the
//     other with the surfaces apart; touching at single points does not
//     count): the caller decides by a point test;
//   - an input is unfit: no faces, a non-finite coordinate or one beyond
//     1e12, a face index out of range, a mesh that must be closed but is not
//     (after welding and repair), or the surfaces intersecting themselves
//     where B cuts A in a way no refinement resolves (see below);
//   - the result would be non-manifold (e.g. two pieces of a difference
//     touching along one edge).
// LastFailure tells these apart.
//
// Flawed closed inputs are repaired rather than refused where the repair
// keeps their volume: a vertex pinching two sheets together, or an edge of
// more than two faces, is taken apart into manifold sheets when that leaves
// the mesh closed; a mesh of closed shells running into each other is cut as
// the union of its shells.
//
// Self-intersecting inputs are cut on refined copies before they are
// refused: a closed mesh whose surface passes through itself is replaced by
// its outer hull (the union of the volumes it wraps), and a surface A is cut
// along its own crossings into patches that are split one by one (so an
// open scan that folds through itself is split, without caps as ever). A
// surface that folds through itself so that no hull describes it (its
// hull would lose a part or turn inside out) stays refused.
//
// Inside: CGAL corefinement on a kernel with exact predicates and double
// constructions. Results are rounded to float (as stored) and cleaned of the
// faces rounding flattened before they are returned, and every input is
// checked again on the way in, so a result fed into the next operation
// (chained differences) stays valid. The exact-construction kernel would
// carry lazy exact numbers in every point, and that exactness would be lost
// at the float boundary anyway (see src/cgal_mesh.h).
//
// Thread safety: the object holds no shared state; different objects may run
// on different threads at the same time, also over the same input meshes as
// long as nobody changes them.

#include "meshtools_export.h"
#include "opennurbs_mesh.h"
#include "tl_tolerance.h"

class TL_EXPORT TL_MeshBoolean {
public:
  TL_MeshBoolean(const ON_Mesh* A, const ON_Mesh* B);

  // The distances within which the vertices of A (tolerance_A) and of B
  // (tolerance_B) are welded before the boolean. Each is raised, if needed,
  // to two single-precision steps at the mesh's largest coordinate, so seams
  // of float meshes always close; negative or non-finite values count as 0.
  // Both default to TL_BOOLEAN_TOLERANCE.
  void SetTolerances(double tolerance_A, double tolerance_B);

  // A ∩ B of closed A and B: true with a closed, outward mesh capped on B's
  // surface when B's surface cuts A.
  bool GetBooleanIntersection(ON_Mesh& result);
  bool GetBooleanIntersection(ON_Mesh* result);

  // A − B of closed A and B: true with a closed, outward mesh when B's
  // surface cuts A.
  bool GetBooleanDifference(ON_Mesh& result);
  bool GetBooleanDifference(ON_Mesh* result);

  // Splits A (usually open; a closed A is split as a surface too) along the
  // surface of closed B, without caps: true when B's surface cuts A, with the
  // parts of A outside B in `outside` and the parts inside B in `inside`
  // (either may come out without faces when A only touches B). Parts of A
  // lying on B's surface count as inside.
  bool GetMeshASplit(ON_Mesh& outside, ON_Mesh& inside);
  bool GetMeshASplit(ON_Mesh* outside, ON_Mesh* inside);

  // Why the last operation returned false (kNone after a success or before
  // any operation).
  enum class Failure {
    kNone,
    kNotCut,           // the surfaces do not meet
    kUnfitA,           // A cannot be made a sound surface (closed, for the solid operations)
    kUnfitB,           // B cannot be made a sound closed solid
    kSelfIntersecting, // a surface intersects itself where B cuts A
    kNoValidResult,    // the result would be non-manifold
    kError,            // a null input or result, or an internal error
  };
  Failure LastFailure() const { return failure_; }
  // Whether the last operation found a surface intersecting itself where
  // the cut runs and tried again on refined copies (see "Self-intersecting
  // inputs" above): with a success, the result is the cut of those copies;
  // with a failure, they could not be cut either.
  bool LastRefined() const { return refined_; }

private:
  const ON_Mesh* a_;
  const ON_Mesh* b_;
  double tolerance_a_;
  double tolerance_b_;
  Failure failure_ = Failure::kNone;
  bool refined_ = false;
};
