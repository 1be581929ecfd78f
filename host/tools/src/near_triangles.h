// The plain-array half of the local road of the solid booleans
// (near_triangles.cpp; the corefining half is cgal_local_boolean.cpp): the
// checks of an input as given, and the triangles of each surface that may
// meet the other. Internal to meshtools.
#pragma once

#include <vector>

#include "tri_mesh.h"

namespace meshtools {

// Halfedge c of a triangle mesh in plain arrays runs from corner c to the
// next corner of its triangle.
inline int NextCorner(int c) {
  return c % 3 == 2 ? c - 2 : c + 1;
}

// An input as the checks found it.
struct ClosedInput {
  const TriMesh* mesh = nullptr;
  std::vector<int> opposite; // per halfedge, its twin
  std::vector<int> into;     // per vertex, a halfedge ending there
  bool single_precision = true;
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
};

// True when the mesh, exactly as given, is closed and consistently oriented
// along its edges, outward and without degenerate triangles: what the whole
// road's preparation accepts without changing anything. Two more things it
// asks are checked later, where they cost less: one shell (by the pieces,
// which cover every triangle), and one fan at every vertex (by building the
// near part, where alone it matters: a vertex pinched far from the cut is
// kept as it is, which describes the same solid).
bool ReadClosedInput(const TriMesh& m, ClosedInput& s);

// Flags the triangles of A and of B that may meet the other surface: every
// triangle that meets the other surface is flagged, with every triangle of
// the other surface it meets.
void SelectNear(const ClosedInput& a, const ClosedInput& b, std::vector<char>& near_a,
                std::vector<char>& near_b);

// A vertex whose near triangles form more than one fan would pinch the
// near part there, which no manifold surface can hold: all its triangles
// become near. A triangle added can pinch its other corners in turn.
void CloseNearFans(const ClosedInput& s, std::vector<char>& near);

// Whether the triangle is degenerate, decided exactly.
bool Collinear(const double* p, const double* q, const double* r);

// The exact predicate behind Collinear (cgal_local_boolean.cpp).
bool ExactlyCollinear(const double* p, const double* q, const double* r);

} // namespace meshtools
