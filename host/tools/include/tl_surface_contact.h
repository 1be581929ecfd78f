#pragma once
// TL_SurfacesMayMeet: a cheap, exact-where-it-matters test whether the
// surfaces of two meshes can meet in a TL_MeshBoolean over them.
//
// The booleans weld each input within its tolerance (raised to two
// single-precision steps at the mesh's magnitude, see SetTolerances) before
// they look for the intersection curve, so a vertex may move by up to that
// distance along each axis. This test therefore answers false only when
// every triangle of A stays farther from every triangle of B than the two
// weld distances together could close: then every boolean of the pair
// reports that the surfaces do not meet (or refuses an unfit input), which
// is what a caller would act on without running one. True means the
// surfaces come that close, meet or touch; only a boolean tells more.
//
// Triangles are those the booleans see (quads split along their shorter
// diagonal). Inputs that the booleans would refuse outright (a face index
// out of range, a non-finite coordinate) answer true, so the boolean
// decides them as before. A and B are only read; safe to call on several
// threads at once, also over the same meshes.

#include "meshtools_export.h"
#include "opennurbs_mesh.h"

TL_EXPORT bool TL_SurfacesMayMeet(const ON_Mesh& A, const ON_Mesh& B, double tolerance_A,
                                  double tolerance_B);
