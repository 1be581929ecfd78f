// The local road of CombineSolids (cgal_local_boolean.cpp): two closed
// solids are corefined only where their surfaces come near each other, and
// the rest of each surface is kept or dropped whole with the piece it
// belongs to. Internal to meshtools.
#pragma once

#include "solid_ops.h"
#include "tri_mesh.h"

namespace meshtools {

enum class LocalRoad {
  kDone,     // `result` holds what the whole road would return
  kNotCut,   // the surfaces do not meet at all
  kDeclined, // something is unusual: the whole road must decide
};

// A ∩ B or A − B when both inputs are, as given, single closed shells that
// need no repair (welded, manifold, outward, no degenerate triangle), and
// the surfaces cross cleanly. `result` is written only for kDone.
LocalRoad CombineLocally(const TriMesh& a, const TriMesh& b, SolidOperation op, TriMesh& result);

// How many kDone answers, since the process started, cut the faces with the
// road's own cutter instead of CGAL's corefinement (cgal_cut_faces.cpp).
unsigned long long CountOwnCuts();

} // namespace meshtools
