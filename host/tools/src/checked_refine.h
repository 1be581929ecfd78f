// CGAL's refinement of surfaces that intersect themselves, built into a
// library of its own with CGAL's assertions on.
//
// The refinement is experimental in this CGAL: configurations it does not
// handle (three faces whose crossings meet at a point in some ways) are
// guarded only by its assertions, and without them it reads past the end
// of an array. Turning assertions on for one file of meshtools would not
// do: CGAL's templates compiled there with assertions and elsewhere
// without are the same symbols to the linker, which keeps one copy of each
// for the whole library, so the corefinement of every cut would run
// whichever copy it picked, and class layouts that differ under assertions
// would be mixed. A library with hidden symbols keeps its copies to
// itself; only plain arrays cross its border.
//
// A failed assertion ends in a refusal, never an exception to the caller
// (other than running out of memory).
#pragma once

#include <vector>

#include "tri_mesh.h"

#define MESHTOOLS_REFINE_EXPORT __attribute__((visibility("default")))

namespace meshtools::checked {

enum class Hull { kClean, kRefined, kRefused };

// `solid` must be closed, manifold and outward oriented, as PrepareSolid
// leaves it. kClean when it does not intersect itself (`hull` untouched);
// kRefined with its outer hull in `hull`: the crossings made edges, the
// sheets between them that lie inside the solid dropped; kRefused when no
// hull can be made, or it would not describe the same solid (a surface that
// folds back through itself loses a part or turns inside out).
MESHTOOLS_REFINE_EXPORT Hull OuterHull(const TriMesh& solid, TriMesh& hull);

// `surface` must be manifold and consistently oriented, as PrepareSurface
// leaves it. The surface cut along the curves where it crosses itself, in
// pieces that neither cross nor touch themselves: refining leaves the
// sheets that crossed touching along those curves, each with vertices of
// its own, and a cut through two faces that touch is refused like a
// crossing. So the faces at a crossing curve become pieces of their own,
// and the rest falls into the regions between the curves. False when the
// surface does not cross itself or cannot be refined.
MESHTOOLS_REFINE_EXPORT bool PiecesBetweenCrossings(const TriMesh& surface,
                                                    std::vector<TriMesh>& pieces);

} // namespace meshtools::checked
