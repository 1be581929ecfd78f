// The geometric operations of the tools, on plain triangle meshes. This is the
// only interface to the CGAL translation units; no CGAL type appears here.
//
// Every operation first makes its inputs fit for corefinement (see
// cgal_prepare.cpp) and rounds its results to single precision before
// checking them, so that what it reports is what the host will store.
#pragma once

#include <vector>

#include "tri_mesh.h"

namespace meshtools {

enum class Outcome {
  kDone,     // result written
  kNotCut,   // the surfaces do not cross; nothing written
  kRejected, // an input is unfit (open where it must be closed, non-manifold,
             // self-intersecting where it matters, non-finite...)
  kFailed,   // the inputs were fine but no valid result came out
};

enum class SolidOperation { kIntersection, kDifference };

// Which input a refusal lies with, for callers that tell the user why a cut
// did not happen.
enum class Refusal {
  kNone,
  kUnfitA,           // A could not be made a sound surface (or solid, where it must be one)
  kUnfitB,           // B could not be made a sound closed solid
  kSelfIntersecting, // a surface intersects itself where the cut runs
  kNoValidResult,    // the cut ran but its result would be non-manifold or open
};

// Each input is welded within its own tolerance (see WeldDistance). A solid
// that is not manifold (pinched vertices, edges of more than two faces) is
// taken apart there first, and one made of closed shells that overlap is
// cut as the union of its shells. `why` (may be null) receives the reason
// for kRejected and kFailed, and kNone otherwise.

// A ∩ B or A − B of two closed meshes, closed and outward oriented, with the
// cut capped on B's surface.
Outcome CombineSolids(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                      double tolerance_b, TriMesh& result, Refusal* why = nullptr);

// CombineSolids without its local road: both solids prepared and corefined
// whole. What the local road falls back to, and what it must agree with.
Outcome CombineSolidsWhole(const TriMesh& a, const TriMesh& b, SolidOperation op,
                           double tolerance_a, double tolerance_b, TriMesh& result,
                           Refusal* why = nullptr);

// How many CombineSolids calls, since the process started, were answered by
// the local road (only the triangles near the other surface corefined) and
// how many the local road passed on to the whole road; for tests and
// benches.
struct CombineRoads {
  unsigned long long local = 0;
  unsigned long long whole = 0;
  unsigned long long own_cut = 0; // of the local ones, cut without CGAL's corefinement
};
CombineRoads CountCombineRoads();

// Splits the surface A along the surface of the closed mesh B. Pieces of A
// lying on B's surface count as inside.
Outcome SplitSurface(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside, Refusal* why = nullptr);

// Union of closed meshes. Appends one closed mesh per connected volume (an
// inner cavity stays with the shell around it). A source that cannot take
// part is left out; returns false when that happened or nothing came out.
bool UniteSolids(const std::vector<const TriMesh*>& solids, double tolerance,
                 std::vector<TriMesh>& volumes);

// Closes an open surface: vertices within `snap` are welded, naked vertices
// within `stitch` are stitched when `stitch_seams`, remaining holes are
// filled when `fill_holes`. False when the result is not closed.
bool HealToSolid(const TriMesh& surface, double snap, double stitch, bool stitch_seams,
                 bool fill_holes, TriMesh& solid);

} // namespace meshtools
