// Whether two triangle surfaces come within a distance of each other, on
// the plain meshes of the core (see tl_surface_contact.h for its use).
#pragma once

#include "tri_mesh.h"

namespace meshtools {

// True when some triangle of `a` lies within `reach` (Euclidean) of some
// triangle of `b`, or when that cannot be ruled out (a degenerate triangle
// near the other surface, a non-finite coordinate). False only when every
// pair of triangles is farther apart than `reach`; touching triangles
// (reach 0) are found exactly.
bool SurfacesWithin(const TriMesh& a, const TriMesh& b, double reach);

} // namespace meshtools
