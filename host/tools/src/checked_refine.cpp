// See checked_refine.h for why this file is a library of its own.
#define CGAL_DEBUG 1

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Polygon_mesh_processing/connected_components.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "cgal_mesh.h"
#include "checked_refine.h"

namespace PMP = CGAL::Polygon_mesh_processing;
namespace params = CGAL::parameters;

namespace meshtools::checked {
namespace {

// The mesh as given: it was prepared by the caller, so no repair is needed.
bool ToSurfaceMesh(const TriMesh& in, SurfaceMesh& out) {
  out.clear();
  out.reserve(static_cast<SurfaceMesh::size_type>(in.VertexCount()),
              static_cast<SurfaceMesh::size_type>(in.tri.size() / 2),
              static_cast<SurfaceMesh::size_type>(in.TriangleCount()));
  for (int v = 0; v < in.VertexCount(); ++v)
    out.add_vertex(Point3(in.xyz[3 * v], in.xyz[3 * v + 1], in.xyz[3 * v + 2]));
  for (int t = 0; t < in.TriangleCount(); ++t) {
    const auto corner = [&](int k) {
      return VertexIndex(static_cast<SurfaceMesh::size_type>(in.tri[3 * t + k]));
    };
    if (out.add_face(corner(0), corner(1), corner(2)) == SurfaceMesh::null_face()) return false;
  }
  return true;
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

Hull OuterHullOrThrow(const TriMesh& solid, TriMesh& hull) {
  SurfaceMesh sm;
  if (!ToSurfaceMesh(solid, sm)) return Hull::kRefused;
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
  CopyFaces(sm, std::vector<FaceIndex>(sm.faces().begin(), sm.faces().end()), hull);
  return Hull::kRefined;
}

bool PiecesBetweenCrossingsOrThrow(const TriMesh& surface, std::vector<TriMesh>& pieces) {
  SurfaceMesh sm;
  if (!ToSurfaceMesh(surface, sm) || !PMP::does_self_intersect(sm)) return false;
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

} // namespace

Hull OuterHull(const TriMesh& solid, TriMesh& hull) {
  try {
    return OuterHullOrThrow(solid, hull);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) { // CGAL's assertions and its refusals of what it cannot refine
    return Hull::kRefused;
  }
}

bool PiecesBetweenCrossings(const TriMesh& surface, std::vector<TriMesh>& pieces) {
  try {
    return PiecesBetweenCrossingsOrThrow(surface, pieces);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
    pieces.clear();
    return false;
  }
}

} // namespace meshtools::checked
