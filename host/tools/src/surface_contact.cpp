// Whether two surfaces come within a reach of each other: the triangles of
// A near B's box and of B near A's box are boxed (B's widened by the
// reach), the pairs of boxes that meet are found by CGAL's box
// intersection, and only those pairs are tested: exactly for touching,
// then by their distance. No halfedge structure is built, so this costs a
// small fraction of a boolean over the same meshes.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/box_intersection_d.h>
#include <CGAL/intersections.h>
#include <CGAL/squared_distance_3.h>

#include <vector>

#include "mesh_cleanup.h"
#include "surface_contact.h"

namespace meshtools {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Kernel::Point_3;
using Triangle = Kernel::Triangle_3;
// A triangle's box with the triangle's index.
using TriangleBox = CGAL::Box_intersection_d::Box_with_info_d<double, 3, int>;

Point Corner(const TriMesh& m, int t, int k) {
  const double* p = &m.xyz[3 * static_cast<std::size_t>(m.tri[3 * t + k])];
  return Point(p[0], p[1], p[2]);
}

Triangle TriangleOf(const TriMesh& m, int t) {
  return Triangle(Corner(m, t, 0), Corner(m, t, 1), Corner(m, t, 2));
}

CGAL::Bbox_3 Widened(const CGAL::Bbox_3& box, double by) {
  return CGAL::Bbox_3(box.xmin() - by, box.ymin() - by, box.zmin() - by, box.xmax() + by,
                      box.ymax() + by, box.zmax() + by);
}

CGAL::Bbox_3 BoxOfTriangle(const TriMesh& m, int t) {
  return Corner(m, t, 0).bbox() + Corner(m, t, 1).bbox() + Corner(m, t, 2).bbox();
}

CGAL::Bbox_3 BoxOfSurface(const TriMesh& m) {
  CGAL::Bbox_3 box;
  for (int t = 0; t < m.TriangleCount(); ++t)
    box += BoxOfTriangle(m, t);
  return box;
}

// The triangles of `m` whose boxes, widened by `widen`, meet `region`, with
// those widened boxes.
std::vector<TriangleBox> NearTriangles(const TriMesh& m, const CGAL::Bbox_3& region, double widen) {
  std::vector<TriangleBox> near;
  for (int t = 0; t < m.TriangleCount(); ++t) {
    const CGAL::Bbox_3 box = Widened(BoxOfTriangle(m, t), widen);
    if (CGAL::do_overlap(box, region)) near.emplace_back(box, t);
  }
  return near;
}

} // namespace

bool SurfacesWithin(const TriMesh& a, const TriMesh& b, double reach) {
  if (!IsWellFormed(a) || !IsWellFormed(b) || !(reach >= 0.0)) return true;
  if (a.Empty() || b.Empty()) return false;
  // A point within `reach` of another lies within `reach` of it along every
  // axis, so widening one side's boxes by the reach misses no close pair.
  std::vector<TriangleBox> near_a = NearTriangles(a, Widened(BoxOfSurface(b), reach), 0.0);
  if (near_a.empty()) return false;
  std::vector<TriangleBox> near_b = NearTriangles(b, BoxOfSurface(a), reach);
  if (near_b.empty()) return false;

  const double reach_squared = reach * reach;
  bool close = false;
  auto test = [&](const TriangleBox& box_a, const TriangleBox& box_b) {
    if (close) return;
    const Triangle ta = TriangleOf(a, box_a.info());
    const Triangle tb = TriangleOf(b, box_b.info());
    // A degenerate triangle is outside what the triangle predicates accept;
    // near the other surface it counts as close.
    if (ta.is_degenerate() || tb.is_degenerate() || CGAL::do_intersect(ta, tb)) {
      close = true;
      return;
    }
    if (reach > 0.0 && CGAL::squared_distance(ta, tb) <= reach_squared) close = true;
  };
  CGAL::box_intersection_d(near_a.begin(), near_a.end(), near_b.begin(), near_b.end(), test);
  return close;
}

} // namespace meshtools
