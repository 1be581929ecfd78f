// Cuts of meshes that intersect themselves, for the operations of
// solid_ops.h once they refused an input for it (Refusal::kSelfIntersecting).
// They work on refined copies; the inputs are never changed.
//
//   CombineRefined: every closed input that intersects itself is replaced by
//     its outer hull (the crossings made edges, the parts of the surface
//     inside the solid dropped), then cut as CombineSolids cuts.
//   SplitRefined:   a cutter that intersects itself is replaced by its outer
//     hull; a surface A that intersects itself is cut along its own
//     crossings into patches, which meet only along those curves, and each
//     patch is split by the cutter on its own. A patch the cutter does not
//     reach lies wholly on one side of it.
//
// A refinement that would change the solid it is meant to describe (a
// surface that folds through itself so that its hull loses a part, or
// turns inside out) is refused: the outcome is kRejected with
// kSelfIntersecting, as before, and the caller keeps its own fallback.
#pragma once

#include "solid_ops.h"

namespace meshtools {

Outcome CombineRefined(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                       double tolerance_b, TriMesh& result, Refusal* why = nullptr);

Outcome SplitRefined(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside, Refusal* why = nullptr);

} // namespace meshtools
