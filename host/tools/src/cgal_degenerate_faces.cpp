// Removing degenerate faces without moving a point.
//
// A boolean's result is rounded to float before it leaves the tools, and
// rounding can make two ends of an edge one point, or put a vertex exactly
// on the line through two others. The surface keeps its shape in both
// cases, so both are mended by changing connectivity only:
//   - a null edge (both ends one point) is collapsed; its two faces had no
//     area and every other face keeps its corners where they were;
//   - a flat face with three distinct corners has its middle corner inside
//     its longest edge; flipping that edge replaces the flat face and its
//     neighbour across the edge by two faces that cover the neighbour
//     exactly (when the neighbour is not flat too).
// Each step leaves one degenerate face fewer and makes none, so every pass
// either mends one or ends the work: the loop is bounded by their number.
// CGAL's general removal also handles configurations this does not, but it
// can loop forever on rounded boolean results, so it is not used.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/boost/graph/Euler_operations.h>
#include <CGAL/boost/graph/helpers.h>
#include <CGAL/Polygon_mesh_processing/shape_predicates.h>

#include <vector>

#include "cgal_mesh.h"

namespace PMP = CGAL::Polygon_mesh_processing;

namespace meshtools {
namespace {

bool IsNullEdge(HalfedgeIndex h, const SurfaceMesh& sm) {
  return sm.point(sm.source(h)) == sm.point(sm.target(h));
}

bool AreAdjacent(VertexIndex a, VertexIndex b, const SurfaceMesh& sm) {
  for (HalfedgeIndex h : CGAL::halfedges_around_target(a, sm))
    if (sm.source(h) == b) return true;
  return false;
}

// Collapses the null edges of `f` that can be collapsed; true when one was.
bool CollapseNullEdge(FaceIndex f, SurfaceMesh& sm) {
  for (HalfedgeIndex h : CGAL::halfedges_around_face(sm.halfedge(f), sm)) {
    if (!IsNullEdge(h, sm) || !CGAL::Euler::does_satisfy_link_condition(sm.edge(h), sm))
      continue;
    CGAL::Euler::collapse_edge(sm.edge(h), sm);
    return true;
  }
  return false;
}

// Flips the longest edge of a flat face with three distinct corners; false
// when the edge is on the rim, the face across it is flat too (the flip
// would make two flat faces of two), or the flip would join two vertices
// already joined (the surface would stop being manifold).
bool FlipLongestEdge(FaceIndex f, SurfaceMesh& sm) {
  HalfedgeIndex longest = sm.halfedge(f);
  double length = -1;
  for (HalfedgeIndex h : CGAL::halfedges_around_face(sm.halfedge(f), sm)) {
    if (IsNullEdge(h, sm)) return false;
    const double l = CGAL::squared_distance(sm.point(sm.source(h)), sm.point(sm.target(h)));
    if (l > length) {
      length = l;
      longest = h;
    }
  }
  const HalfedgeIndex across = sm.opposite(longest);
  if (sm.is_border(across) || PMP::is_degenerate_triangle_face(sm.face(across), sm)) return false;
  const VertexIndex middle = sm.target(sm.next(longest));
  const VertexIndex far = sm.target(sm.next(across));
  if (middle == far || AreAdjacent(middle, far, sm)) return false;
  CGAL::Euler::flip_edge(longest, sm);
  return true;
}

std::vector<FaceIndex> DegenerateFaces(const SurfaceMesh& sm) {
  std::vector<FaceIndex> found;
  for (FaceIndex f : sm.faces())
    if (PMP::is_degenerate_triangle_face(f, sm)) found.push_back(f);
  return found;
}

} // namespace

bool RemoveDegenerateFaces(SurfaceMesh& sm) {
  std::vector<FaceIndex> degenerate = DegenerateFaces(sm);
  if (degenerate.empty()) return true;
  if (!CGAL::is_triangle_mesh(sm)) return false;
  while (!degenerate.empty()) {
    bool mended = false;
    for (FaceIndex f : degenerate) {
      // An earlier step in this pass may have removed the face or mended it.
      if (sm.is_removed(f) || !PMP::is_degenerate_triangle_face(f, sm)) continue;
      mended |= CollapseNullEdge(f, sm) || FlipLongestEdge(f, sm);
    }
    if (!mended) break;
    degenerate = DegenerateFaces(sm);
  }
  sm.collect_garbage();
  return degenerate.empty();
}

} // namespace meshtools
