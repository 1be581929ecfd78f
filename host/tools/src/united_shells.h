// The last few unions of solids made of overlapping shells, kept so that a
// cutter of that kind, which every object of a section is cut by in turn,
// is united once rather than once per object.
//
// Internal to meshtools; safe on any thread.
#pragma once

#include "tri_mesh.h"

namespace meshtools {

// The union kept for exactly this mesh and tolerance: true with it in
// `united` (empty when the union could not be made), false when none is kept.
bool FindUnitedShells(const TriMesh& source, double tolerance, TriMesh& united);

// Keeps the union of `source` (empty: it could not be made), dropping the
// one used longest ago when the store is full.
void KeepUnitedShells(const TriMesh& source, double tolerance, const TriMesh& united);

} // namespace meshtools
