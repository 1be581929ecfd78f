// Cuts through meshes that intersect themselves (see refined_cuts.h).
//
// Corefinement cannot cut where a surface passes through itself: the cut
// would have to follow two sheets at once. Refining first makes every
// crossing curve an edge of both sheets. For a solid that is what the
// outer hull needs: the sheets between two crossings that lie inside the
// solid are dropped and the rest stitched along the curves, which leaves
// the union of the volumes the surface wraps. A surface is only cut along
// its crossings; its patches are then split one by one, each on its own a
// surface that does not cross itself.
//
// Only the refusal road comes here, so the whole-surface checks (does it
// intersect itself at all, is the hull still the same solid) cost nothing
// for meshes that cut cleanly.
//
// The refinement is experimental in this CGAL: configurations it does not
// handle (three faces whose crossings meet at a point in some ways) are
// guarded only by its assertions, and without them it reads past the end
// of an array. So assertions are on in this file: they throw, and the cut
// falls back as if no refinement had been tried.
#define CGAL_DEBUG 1
#include <CGAL/Polygon_mesh_processing/connected_components.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
#include <CGAL/Side_of_triangle_mesh.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "cgal_mesh.h"
#include "mesh_cleanup.h"
#include "refined_cuts.h"

namespace PMP = CGAL::Polygon_mesh_processing;
namespace params = CGAL::parameters;

namespace meshtools {
namespace {

void Tell(Refusal* why, Refusal reason) {
  if (why != nullptr) *why = reason;
}

CGAL::Bbox_3 BoxOf(const SurfaceMesh& sm) {
  CGAL::Bbox_3 box;
  for (VertexIndex v : sm.vertices())
    box += sm.point(v).bbox();
  return box;
}

// Whether the hull kept the whole extent of the solid: dropping sheets that
// lie inside cannot move the box, so a box that shrank means the hull lost
// a part that only a fold through the surface had wrapped.
bool SameBox(const CGAL::Bbox_3& a, const CGAL::Bbox_3& b) {
  const double size = std::max({a.xmax() - a.xmin(), a.ymax() - a.ymin(), a.zmax() - a.zmin()});
  const double slack = 1e-9 * std::max(size, 1.0);
  for (int k = 0; k < 3; ++k)
    if (std::abs(a.min(k) - b.min(k)) > slack || std::abs(a.max(k) - b.max(k)) > slack)
      return false;
  return true;
}

enum class Hull { kClean, kRefined, kRefused };

// `solid` (closed) as `out`: itself when it does not intersect itself
// (kClean, `out` untouched), its outer hull otherwise.
Hull OuterHull(const TriMesh& solid, double tolerance, TriMesh& out) {
  SurfaceMesh sm;
  if (!PrepareSolid(solid, tolerance, sm)) return Hull::kRefused;
  if (!PMP::does_self_intersect(sm)) return Hull::kClean;
  const CGAL::Bbox_3 before = BoxOf(sm);
  if (!PMP::experimental::autorefine_and_remove_self_intersections(sm)) return Hull::kRefused;
  sm.collect_garbage();
  // A surface that folds back through itself has regions it wraps the
  // wrong way round; its "hull" can then be such a region alone, inside
  // out.
  if (sm.number_of_faces() == 0 || !CGAL::is_closed(sm) || !PMP::is_outward_oriented(sm) ||
      !SameBox(before, BoxOf(sm)) || PMP::does_self_intersect(sm))
    return Hull::kRefused;
  CopyToTriMesh(sm, out);
  return Hull::kRefined;
}

void Append(TriMesh& to, const TriMesh& from) {
  const int base = to.VertexCount();
  to.xyz.insert(to.xyz.end(), from.xyz.begin(), from.xyz.end());
  for (int c : from.tri)
    to.tri.push_back(base + c);
}

// The surface cut along the curves where it crosses itself, in pieces that
// neither cross nor touch themselves: refining leaves the sheets that
// crossed touching along those curves, each with vertices of its own, and
// a cut through two faces that touch is refused like a crossing. So the
// faces at a crossing curve become pieces of their own, and the rest
// falls into the regions between the curves. False when the surface does
// not cross itself.
bool PiecesBetweenCrossings(const TriMesh& surface, double tolerance,
                            std::vector<TriMesh>& pieces) {
  SurfaceMesh sm;
  if (!PrepareSurface(surface, tolerance, sm) || !PMP::does_self_intersect(sm)) return false;
  auto crossing = sm.add_property_map<EdgeIndex, bool>("e:crossing", false).first;
  PMP::experimental::autorefine(sm, params::edge_is_constrained_map(crossing));
  sm.collect_garbage();
  std::vector<char> at_crossing(sm.num_vertices(), 0);
  for (EdgeIndex e : sm.edges())
    if (crossing[e])
      for (int end = 0; end < 2; ++end)
        at_crossing[static_cast<std::size_t>(sm.vertex(e, end))] = 1;
  auto touches = [&](FaceIndex f) {
    for (VertexIndex v : CGAL::vertices_around_face(sm.halfedge(f), sm))
      if (at_crossing[static_cast<std::size_t>(v)]) return true;
    return false;
  };
  // Edges of a face at a crossing part the regions too.
  auto barrier = sm.add_property_map<EdgeIndex, bool>("e:barrier", false).first;
  for (EdgeIndex e : sm.edges()) {
    const HalfedgeIndex h = sm.halfedge(e);
    for (HalfedgeIndex side : {h, sm.opposite(h)}) {
      const FaceIndex f = sm.face(side);
      if (crossing[e] || (f != SurfaceMesh::null_face() && touches(f))) barrier[e] = true;
    }
  }
  auto region_of = sm.add_property_map<FaceIndex, std::size_t>("f:region", 0).first;
  const std::size_t count =
      PMP::connected_components(sm, region_of, params::edge_is_constrained_map(barrier));
  std::vector<std::vector<FaceIndex>> faces(count);
  for (FaceIndex f : sm.faces()) {
    if (touches(f)) {
      pieces.emplace_back();
      CopyFaces(sm, {f}, pieces.back());
    } else {
      faces[region_of[f]].push_back(f);
    }
  }
  for (const std::vector<FaceIndex>& group : faces) {
    if (group.empty()) continue;
    pieces.emplace_back();
    CopyFaces(sm, group, pieces.back());
  }
  return !pieces.empty();
}

// A point well inside the patch: the centroid of its largest triangle.
Point3 InnerPoint(const TriMesh& patch) {
  double best = -1.0;
  Point3 point(0, 0, 0);
  for (int t = 0; t < patch.TriangleCount(); ++t) {
    const double* p[3];
    for (int k = 0; k < 3; ++k)
      p[k] = &patch.xyz[3 * static_cast<std::size_t>(patch.tri[3 * t + k])];
    const Point3 a(p[0][0], p[0][1], p[0][2]), b(p[1][0], p[1][1], p[1][2]),
        c(p[2][0], p[2][1], p[2][2]);
    const double area = CGAL::squared_area(a, b, c);
    if (area > best) {
      best = area;
      point = CGAL::centroid(a, b, c);
    }
  }
  return point;
}

Outcome CombineRefinedOrThrow(const TriMesh& a, const TriMesh& b, SolidOperation op,
                              double tolerance_a, double tolerance_b, TriMesh& result,
                              Refusal* why);
Outcome SplitRefinedOrThrow(const TriMesh& a, const TriMesh& b, double tolerance_a,
                            double tolerance_b, TriMesh& outside, TriMesh& inside, Refusal* why);

} // namespace

Outcome CombineRefined(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                       double tolerance_b, TriMesh& result, Refusal* why) {
  try {
    return CombineRefinedOrThrow(a, b, op, tolerance_a, tolerance_b, result, why);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) { // CGAL's assertions and its refusals of what it cannot refine
    Tell(why, Refusal::kSelfIntersecting);
    return Outcome::kRejected;
  }
}

Outcome SplitRefined(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside, Refusal* why) {
  try {
    return SplitRefinedOrThrow(a, b, tolerance_a, tolerance_b, outside, inside, why);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    Tell(why, Refusal::kSelfIntersecting);
    return Outcome::kRejected;
  }
}

namespace {

Outcome CombineRefinedOrThrow(const TriMesh& a, const TriMesh& b, SolidOperation op,
                              double tolerance_a, double tolerance_b, TriMesh& result,
                              Refusal* why) {
  Tell(why, Refusal::kSelfIntersecting);
  TriMesh hull_a, hull_b;
  const Hull ha = OuterHull(a, tolerance_a, hull_a);
  const Hull hb = OuterHull(b, tolerance_b, hull_b);
  if (ha == Hull::kRefused || hb == Hull::kRefused || (ha == Hull::kClean && hb == Hull::kClean))
    return Outcome::kRejected;
  return CombineSolids(ha == Hull::kRefined ? hull_a : a, hb == Hull::kRefined ? hull_b : b, op,
                       tolerance_a, tolerance_b, result, why);
}

Outcome SplitRefinedOrThrow(const TriMesh& a, const TriMesh& b, double tolerance_a,
                            double tolerance_b, TriMesh& outside, TriMesh& inside, Refusal* why) {
  Tell(why, Refusal::kSelfIntersecting);
  TriMesh hull_b;
  const Hull hb = OuterHull(b, tolerance_b, hull_b);
  if (hb == Hull::kRefused) return Outcome::kRejected;
  const TriMesh& cutter = hb == Hull::kRefined ? hull_b : b;
  std::vector<TriMesh> patches;
  if (!PiecesBetweenCrossings(a, tolerance_a, patches)) {
    if (hb == Hull::kClean) return Outcome::kRejected;
    return SplitSurface(a, cutter, tolerance_a, tolerance_b, outside, inside, why);
  }
  SurfaceMesh solid;
  if (!PrepareSolid(cutter, tolerance_b, solid)) return Outcome::kRejected;
  const CGAL::Side_of_triangle_mesh<SurfaceMesh, Kernel> side(solid);
  TriMesh out_all, in_all;
  bool cut = false;
  for (const TriMesh& patch : patches) {
    TriMesh out, in;
    Refusal patch_why = Refusal::kNone;
    switch (SplitSurface(patch, cutter, tolerance_a, tolerance_b, out, in, &patch_why)) {
    case Outcome::kDone:
      cut = true;
      Append(out_all, out);
      Append(in_all, in);
      break;
    case Outcome::kNotCut:
      Append(side(InnerPoint(patch)) == CGAL::ON_UNBOUNDED_SIDE ? out_all : in_all, patch);
      break;
    default:
      Tell(why, patch_why);
      return Outcome::kRejected;
    }
  }
  if (!cut) {
    Tell(why, Refusal::kNone);
    return Outcome::kNotCut;
  }
  for (TriMesh* part : {&out_all, &in_all}) {
    RoundToSinglePrecision(*part); // the patches the cutter missed, as the pieces it cut
    CleanRoundedSurface(*part);
  }
  outside = std::move(out_all);
  inside = std::move(in_all);
  Tell(why, Refusal::kNone);
  return Outcome::kDone;
}

} // namespace

} // namespace meshtools
