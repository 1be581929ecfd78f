// Checks and repairs on plain triangle meshes that need no exact geometry:
// coordinate sanity, welding of vertices that lie within a distance of each
// other, and removal of triangles that welding collapsed.
//
// Welding is greedy: vertices are visited in index order and each joins the
// first earlier representative found within the distance (Chebyshev metric,
// i.e. per coordinate), so a chain of points spaced just under the distance
// does not collapse into one.
#pragma once

#include "tri_mesh.h"

namespace meshtools {

// Coordinates beyond this magnitude are refused: products in the geometric
// predicates would leave the range where their floating-point filters work,
// and no modelling unit makes such values meaningful.
inline constexpr double kMaxCoordinate = 1.0e12;

// True when every coordinate is finite and within kMaxCoordinate and every
// triangle corner indexes an existing vertex.
bool IsWellFormed(const TriMesh& mesh);

// Largest absolute coordinate of the vertices that triangles use (0 for none).
double UsedMagnitude(const TriMesh& mesh);

// The distance within which two vertices count as one: the caller's tolerance,
// but never below two single-precision steps at the mesh's magnitude, because
// the host stores vertices as floats and a seam computed twice can differ by
// that much. Non-finite or negative tolerances count as zero.
double WeldDistance(const TriMesh& mesh, double tolerance);

// Merges vertices within `distance`, then drops collapsed triangles and
// unused vertices. Returns the number of vertices merged away.
int WeldVertices(TriMesh& mesh, double distance);

// Like WeldVertices, but only vertices on naked edges (edges used by exactly
// one triangle) take part; the interior of the surface is never touched.
int WeldBoundaryVertices(TriMesh& mesh, double distance);

// Drops triangles with a repeated corner index. Returns how many were dropped.
int DropCollapsedTriangles(TriMesh& mesh);

// Drops vertices no triangle uses and renumbers the rest in order.
void RemoveUnusedVertices(TriMesh& mesh);

// x rounded to single precision. GCC 12 with -frounding-math folds two
// double -> float -> double round trips side by side (x and y of a point)
// to nothing when it vectorizes them, which left results unrounded; the
// float passes through an empty asm statement, which it cannot see into.
inline double ToSinglePrecision(double x) {
  float f = static_cast<float>(x);
#if defined(__GNUC__)
  __asm__("" : "+m"(f));
#endif
  return f;
}

// Rounds every coordinate to single precision, as the host will store it.
void RoundToSinglePrecision(TriMesh& mesh);

// For open results after rounding: vertices that rounding put on the same
// point are merged, and triangles left without area are dropped. A dropped
// triangle's corners are on one line, so its neighbours still meet without
// a gap.
void CleanRoundedSurface(TriMesh& mesh);

// A closed shell's signed volume and box. A shell with negative volume is
// either a cavity (its box inside an outward shell's box) or a solid turned
// inside out.
struct ShellMeasure {
  double volume = 0.0;
  double lo[3] = {0, 0, 0};
  double hi[3] = {0, 0, 0};
};

// For each shell the shell it is a cavity of (the smallest outward shell
// whose box holds its box), or -1 for an outer shell.
std::vector<int> CavityOwners(const std::vector<ShellMeasure>& shells);

// Flags the triangles of the shells that are turned inside out (inward and
// no cavity), for a mesh whose shells are each consistently oriented and
// closed. Shells are the vertex-connected parts; `shell_count` (may be null)
// receives their number. Returns false when none needs turning.
bool FindInvertedShells(const TriMesh& mesh, std::vector<char>& flip, int* shell_count = nullptr);

} // namespace meshtools
