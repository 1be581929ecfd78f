// The local road's own cutter: where two open surfaces cross cleanly, their
// faces are split along the crossing curve without CGAL's corefinement,
// which builds every point of the curve with exact numbers and an exact
// triangulation for every face it cuts. Here every decision is an exact
// predicate on the input points, and only the points are built, in
// extended precision, once:
//   Crossings: each edge of one surface that passes through the inside of a
//     face of the other gives one point, shared by both surfaces (a vertex
//     on a face's plane, an edge through an edge or a vertex, or an edge in
//     a face's plane is no clean crossing, and the corefinement decides).
//   Segments: two faces that cross meet along a segment between exactly
//     two such points.
//   Splitting: a face with one segment from side to side is cut into a
//     triangle and a quadrilateral; any other is triangulated with its
//     sides and segments as constraints, in its own plane. The
//     triangulation must hold every constraint as an edge and cover the
//     face with the number of triangles its points call for, or the
//     corefinement decides.
// The points are rounded, so the curve's edges in the two surfaces are
// told apart by their end points, which are the same numbers in both.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Box_intersection_d/Box_with_info_d.h>
#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
#include <CGAL/Projection_traits_3.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/box_intersection_d.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cut_faces.h"
#include "tri_mesh.h"

namespace PMP = CGAL::Polygon_mesh_processing;

namespace meshtools {
namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// One surface as flat arrays: per face, corner k and the edge from corner
// k to corner k+1, and whether that side runs along the edge's own
// halfedge (from its source to its target).
struct Side {
  const SurfaceMesh* mesh = nullptr;
  std::vector<std::array<std::uint32_t, 3>> corner, edge;
  std::vector<std::array<bool, 3>> along;
  const Point3& At(std::uint32_t v) const { return mesh->point(VertexIndex(v)); }
  const Point3& Source(std::uint32_t e) const {
    return mesh->point(mesh->source(mesh->halfedge(EdgeIndex(e))));
  }
  const Point3& Target(std::uint32_t e) const {
    return mesh->point(mesh->target(mesh->halfedge(EdgeIndex(e))));
  }
};

void ReadSide(const SurfaceMesh& m, Side& s) {
  s.mesh = &m;
  const std::size_t nf = m.num_faces();
  s.corner.resize(nf);
  s.edge.resize(nf);
  s.along.resize(nf);
  for (FaceIndex f : m.faces()) {
    HalfedgeIndex h = m.halfedge(f);
    for (int k = 0; k < 3; ++k, h = m.next(h)) {
      // An edge index made from a halfedge remembers it: the edge's own
      // halfedge is the one its number gives.
      const auto e = static_cast<SurfaceMesh::size_type>(m.edge(h));
      s.corner[f][k] = static_cast<std::uint32_t>(m.source(h));
      s.edge[f][k] = static_cast<std::uint32_t>(e);
      s.along[f][k] = m.halfedge(EdgeIndex(e)) == h;
    }
  }
}

// A point of the curve: where edge `edge` of surface `owner` passes
// through a face of the other, at `t` along the edge from its source
// (within `dt`).
struct CurvePoint {
  Point3 at;
  std::uint32_t edge;
  int owner;
  double t, dt;
};

enum class Meet { kMiss, kHit, kUnsure };

// Whether segment pq passes through the inside of triangle abc, decided
// exactly; touching in any way is unsure.
Meet EdgeThroughFace(const Point3& p, const Point3& q, const Point3& a, const Point3& b,
                     const Point3& c, CGAL::Orientation& op, CGAL::Orientation& oq) {
  op = CGAL::orientation(a, b, c, p);
  oq = CGAL::orientation(a, b, c, q);
  if (op == oq) return op == CGAL::COPLANAR ? Meet::kUnsure : Meet::kMiss;
  if (op == CGAL::COPLANAR || oq == CGAL::COPLANAR) return Meet::kUnsure;
  const CGAL::Orientation s[3] = {CGAL::orientation(p, q, a, b), CGAL::orientation(p, q, b, c),
                                  CGAL::orientation(p, q, c, a)};
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (s[i] != CGAL::COPLANAR && s[j] != CGAL::COPLANAR && s[i] != s[j]) return Meet::kMiss;
  for (const CGAL::Orientation o : s)
    if (o == CGAL::COPLANAR) return Meet::kUnsure;
  return Meet::kHit;
}

// The point where pq crosses the plane of abc, whose sides p and q are on
// as `op` and `oq` say. Computed in extended precision with a bound on its
// error; false when the rounded point could be further than a few units in
// the last place of its largest coordinate from the true one, which the
// verdicts at the curve's edges allow for.
bool CrossingPoint(const Point3& p, const Point3& q, const Point3& a, const Point3& b,
                   const Point3& c, CGAL::Orientation op, CurvePoint& out) {
  using L = long double;
  constexpr L kEpsL = std::numeric_limits<L>::epsilon();
  constexpr double kEps = std::numeric_limits<double>::epsilon();
  L u[3], v[3], w0[3], w1[3];
  for (int k = 0; k < 3; ++k) {
    u[k] = L(b[k]) - L(a[k]);
    v[k] = L(c[k]) - L(a[k]);
    w0[k] = L(p[k]) - L(a[k]);
    w1[k] = L(q[k]) - L(a[k]);
  }
  L n[3], size[3];
  for (int k = 0; k < 3; ++k) {
    const int i = (k + 1) % 3, j = (k + 2) % 3;
    n[k] = u[i] * v[j] - u[j] * v[i];
    size[k] = std::fabs(u[i] * v[j]) + std::fabs(u[j] * v[i]);
  }
  L d0 = 0, d1 = 0, e0 = 0, e1 = 0;
  for (int k = 0; k < 3; ++k) {
    d0 += n[k] * w0[k];
    d1 += n[k] * w1[k];
    e0 += size[k] * std::fabs(w0[k]);
    e1 += size[k] * std::fabs(w1[k]);
  }
  // Each difference, product and sum above is off by a unit of extended
  // rounding at most; sixteen of them bound every path with room to spare.
  e0 *= 16 * kEpsL;
  e1 *= 16 * kEpsL;
  const bool p_above = op == CGAL::POSITIVE;
  if ((d0 > 0) != p_above || (d1 > 0) == p_above || d0 == 0 || d1 == 0) return false;
  const L span = std::fabs(d0) + std::fabs(d1);
  if (span <= 4 * (e0 + e1)) return false;
  const L t = std::fabs(d0) / span;
  const L dt = (e0 + e1) / (span - e0 - e1) + 4 * kEpsL;
  // So near an end that it could pass it: the sides' order is unsure.
  if (t <= 2 * dt || t >= 1 - 2 * dt) return false;
  double x[3];
  double big = 0, error = 0;
  for (int k = 0; k < 3; ++k) {
    const L step = L(q[k]) - L(p[k]);
    x[k] = static_cast<double>(L(p[k]) + t * step);
    big = std::max(big, std::fabs(x[k]));
    error =
        std::max(error, static_cast<double>(dt * std::fabs(step) +
                                            4 * kEpsL * (std::fabs(L(p[k])) + std::fabs(step))));
  }
  // Rounding to double adds half a unit of the coordinate.
  if (error + 0.5 * kEps * big > 2 * kEps * big) return false;
  out.at = Point3(x[0], x[1], x[2]);
  out.t = static_cast<double>(t);
  out.dt = static_cast<double>(dt) + kEps;
  return true;
}

// Everything the cut of one surface needs.
struct Cut {
  Side side;
  std::vector<std::vector<std::pair<std::uint32_t, std::uint32_t>>> segments; // per face
  // Points on each edge, ordered along it: for edge e, on_edge[first[e]..]
  // up to the next edge's.
  std::vector<std::uint32_t> first, on_edge;
};

// Faces are triangulated in their own plane, Delaunay where nothing
// constrains them, as the corefinement does: the same triangles come out
// for the same points, and so the same solid once the points are rounded.
using Plane = CGAL::Projection_traits_3<Kernel>;
using Vb = CGAL::Triangulation_vertex_base_with_info_2<std::uint32_t, Plane>;
using Fb =
    CGAL::Triangulation_face_base_with_info_2<signed char, Plane,
                                              CGAL::Constrained_triangulation_face_base_2<Plane>>;
using Tds = CGAL::Triangulation_data_structure_2<Vb, Fb>;
using Cdt =
    CGAL::Constrained_Delaunay_triangulation_2<Plane, Tds, CGAL::No_constraint_intersection_tag>;
using Vb2 = CGAL::Triangulation_vertex_base_with_info_2<std::uint32_t, Kernel>;
using Fb2 =
    CGAL::Triangulation_face_base_with_info_2<signed char, Kernel,
                                              CGAL::Constrained_triangulation_face_base_2<Kernel>>;
using Cdt2 = CGAL::Constrained_Delaunay_triangulation_2<
    Kernel, CGAL::Triangulation_data_structure_2<Vb2, Fb2>, CGAL::No_constraint_intersection_tag>;

// Triangulates a face (see SplitFace) in `cdt`, whose points `at` gives
// by local index, and appends the triangles, turned to the face's way
// (`turn` in the triangulation's plane).
template <class Triangulation, class PointAt>
bool Triangulate(Triangulation& cdt, PointAt at, CGAL::Orientation turn,
                 const std::vector<std::uint32_t>& cycle, const std::vector<std::uint32_t>& inner,
                 const std::vector<std::pair<std::uint32_t, std::uint32_t>>& segments,
                 std::vector<std::array<std::uint32_t, 3>>& out) {
  using Handle = typename Triangulation::Vertex_handle;
  using Face = typename Triangulation::Face_handle;
  const auto nb = static_cast<std::uint32_t>(cycle.size());
  const std::uint32_t count = nb + static_cast<std::uint32_t>(inner.size());
  std::vector<Handle> handle(count);
  Face hint;
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::size_t before = cdt.number_of_vertices();
    handle[k] = cdt.insert(at(k), hint);
    if (cdt.number_of_vertices() == before) return false; // two points in one place
    handle[k]->info() = k;
    hint = handle[k]->face();
  }
  try {
    for (std::uint32_t k = 0; k < nb; ++k)
      cdt.insert_constraint(handle[k], handle[(k + 1) % nb]);
    for (const auto& [s, t] : segments)
      cdt.insert_constraint(handle[s], handle[t]);
  } catch (const typename Triangulation::Intersection_of_constraints_exception&) {
    return false;
  }
  // A constraint through a point is split there silently: each must be
  // one edge.
  for (std::uint32_t k = 0; k < nb; ++k)
    if (!cdt.is_edge(handle[k], handle[(k + 1) % nb])) return false;
  for (const auto& [s, t] : segments)
    if (!cdt.is_edge(handle[s], handle[t])) return false;
  // Outside: what the infinite faces reach without crossing the boundary.
  for (Face f : cdt.all_face_handles())
    f->info() = -1;
  std::vector<Face> stack;
  {
    const auto around = cdt.incident_faces(cdt.infinite_vertex());
    auto f = around;
    do {
      f->info() = 0;
      stack.push_back(f);
    } while (++f != around);
  }
  auto boundary = [nb](std::uint32_t s, std::uint32_t t) {
    return s < nb && t < nb && ((s + 1) % nb == t || (t + 1) % nb == s);
  };
  while (!stack.empty()) {
    const Face f = stack.back();
    stack.pop_back();
    for (int i = 0; i < 3; ++i) {
      const Face n = f->neighbor(i);
      if (n->info() >= 0) continue;
      if (boundary(f->vertex(Triangulation::cw(i))->info(),
                   f->vertex(Triangulation::ccw(i))->info()))
        continue;
      n->info() = 0;
      stack.push_back(n);
    }
  }
  std::size_t inside = 0;
  const std::size_t start = out.size();
  auto global = [&](std::uint32_t k) { return k < nb ? cycle[k] : inner[k - nb]; };
  for (Face f : cdt.finite_face_handles()) {
    if (f->info() == 0) continue;
    ++inside;
    const std::uint32_t v[3] = {f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()};
    if (turn == CGAL::COUNTERCLOCKWISE)
      out.push_back({global(v[0]), global(v[1]), global(v[2])});
    else
      out.push_back({global(v[0]), global(v[2]), global(v[1])});
  }
  // A disc with nb points on its rim and the rest inside.
  if (inside != nb + 2 * inner.size() - 2) {
    out.resize(start);
    return false;
  }
  return true;
}

// Splits one face. `cycle` holds its boundary (corners, at `corners`, and
// the points on its sides, in order), `inner` the points inside it, as vertex indices of
// the cut mesh; `segments` its pieces of the curve by local index (the
// boundary first, then the inner points). Appends the triangles to `out`.
bool SplitFace(const std::vector<std::uint32_t>& cycle, const std::uint32_t (&corners)[3],
               const std::vector<std::uint32_t>& inner,
               const std::vector<std::pair<std::uint32_t, std::uint32_t>>& segments,
               const std::vector<Point3>& where, std::vector<std::array<std::uint32_t, 3>>& out) {
  const auto nb = static_cast<std::uint32_t>(cycle.size());
  const Point3 &c0 = where[cycle[0]], &c1 = where[cycle[corners[1]]],
               &c2 = where[cycle[corners[2]]];
  const Kernel::Vector_3 normal = CGAL::cross_product(c1 - c0, c2 - c0);
  const Plane plane(normal);
  const CGAL::Orientation turn = plane.orientation_2_object()(c0, c1, c2);
  if (turn == CGAL::COLLINEAR) return false;
  if (segments.size() == 1 && inner.empty() && nb == 5) {
    // One chord from side to side: a triangle and a convex quadrilateral,
    // split along the diagonal a Delaunay triangulation takes.
    std::uint32_t i = segments[0].first, j = segments[0].second;
    if (i > j) std::swap(i, j);
    if (j - i < 2 || nb - j + i < 2) return false;
    std::uint32_t part[4];
    for (int round = 0; round < 2; ++round) {
      std::size_t n = 0;
      for (std::uint32_t k = round == 0 ? i : j;; k = (k + 1) % nb) {
        part[n++] = cycle[k];
        if (k == (round == 0 ? j : i)) break;
      }
      if (n == 3) {
        out.push_back({part[0], part[1], part[2]});
        continue;
      }
      const Point3 &p0 = where[part[0]], &p1 = where[part[1]], &p2 = where[part[2]],
                   &p3 = where[part[3]];
      const CGAL::Oriented_side side = plane.side_of_oriented_circle_2_object()(p0, p1, p2, p3);
      const bool inside = side == (turn == CGAL::COUNTERCLOCKWISE ? CGAL::ON_POSITIVE_SIDE
                                                                  : CGAL::ON_NEGATIVE_SIDE);
      if (side == CGAL::ON_ORIENTED_BOUNDARY) return false;
      if (!inside) {
        out.push_back({part[0], part[1], part[2]});
        out.push_back({part[0], part[2], part[3]});
      } else {
        out.push_back({part[1], part[2], part[3]});
        out.push_back({part[1], part[3], part[0]});
      }
    }
    return true;
  }
  auto local_point = [&](std::uint32_t k) -> const Point3& {
    return where[k < nb ? cycle[k] : inner[k - nb]];
  };
  const int zeros = (normal.x() == 0) + (normal.y() == 0) + (normal.z() == 0);
  if (zeros == 2) {
    // A face across an axis (a box's, most often) is triangulated in the
    // plane of the other two, where the same triangles are Delaunay and
    // the predicates are cheaper.
    const int keep = normal.x() != 0 ? 0 : normal.y() != 0 ? 1 : 2;
    const int u = (keep + 1) % 3, v = (keep + 2) % 3;
    auto at = [&](std::uint32_t k) {
      const Point3& p = local_point(k);
      return Kernel::Point_2(p[u], p[v]);
    };
    const CGAL::Orientation turn2 = CGAL::orientation(at(0), at(corners[1]), at(corners[2]));
    if (turn2 == CGAL::COLLINEAR) return false;
    Cdt2 cdt;
    return Triangulate(cdt, at, turn2, cycle, inner, segments, out);
  }
  Cdt cdt(plane);
  return Triangulate(cdt, local_point, turn, cycle, inner, segments, out);
}

// Splits every face of one surface that the curve runs through and builds
// the cut surface. `base` is the vertex index of curve point 0.
bool BuildCut(const Cut& cut, const std::vector<CurvePoint>& points, int owner,
              const std::vector<std::pair<std::uint32_t, std::uint32_t>>& all_segments,
              SurfaceMesh& result) {
  const Side& s = cut.side;
  const SurfaceMesh& m = *s.mesh;
  const auto base = static_cast<std::uint32_t>(m.num_vertices());
  std::vector<Point3> where;
  where.reserve(base + points.size());
  for (VertexIndex v : m.vertices())
    where.push_back(m.point(v));
  for (const CurvePoint& p : points)
    where.push_back(p.at);
  const std::size_t nf = m.num_faces();
  std::vector<std::array<std::uint32_t, 3>> tris(nf), more, split;
  std::vector<std::uint32_t> local(points.size(), kNone), cycle, inner;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> segments;
  std::vector<std::uint8_t> degree;
  for (std::size_t f = 0; f < nf; ++f) {
    const auto& corner = s.corner[f];
    const auto& mine = cut.segments[f];
    if (mine.empty()) {
      tris[f] = corner;
      continue;
    }
    cycle.clear();
    inner.clear();
    std::uint32_t corners[3];
    for (int k = 0; k < 3; ++k) {
      corners[k] = static_cast<std::uint32_t>(cycle.size());
      cycle.push_back(corner[k]);
      const std::uint32_t e = s.edge[f][k];
      const std::uint32_t from = cut.first[e], to = cut.first[e + 1];
      if (s.along[f][k]) {
        for (std::uint32_t i = from; i < to; ++i)
          cycle.push_back(base + cut.on_edge[i]);
      } else {
        for (std::uint32_t i = to; i > from; --i)
          cycle.push_back(base + cut.on_edge[i - 1]);
      }
    }
    const auto nb = static_cast<std::uint32_t>(cycle.size());
    for (std::uint32_t k = 0; k < nb; ++k)
      if (cycle[k] >= base) local[cycle[k] - base] = k;
    segments.clear();
    for (const auto& [p, q] : mine) {
      for (const std::uint32_t x : {p, q})
        if (local[x] == kNone) {
          // Not on a side: an inner point, which only an edge of the
          // other surface makes.
          if (points[x].owner == owner) return false;
          local[x] = nb + static_cast<std::uint32_t>(inner.size());
          inner.push_back(base + x);
        }
      segments.emplace_back(local[p], local[q]);
    }
    // Every point on a side ends one segment, every inner point two.
    degree.assign(nb + inner.size(), 0);
    for (const auto& [p, q] : segments) {
      ++degree[p];
      ++degree[q];
    }
    bool fits = true;
    for (std::size_t k = 0; k < degree.size(); ++k)
      fits = fits && degree[k] == (k >= nb ? 2 : cycle[k] >= base ? 1 : 0);
    for (std::uint32_t k = 0; k < nb; ++k)
      if (cycle[k] >= base) local[cycle[k] - base] = kNone;
    for (const std::uint32_t v : inner)
      local[v - base] = kNone;
    if (!fits) return false;
    split.clear();
    try {
      if (!SplitFace(cycle, corners, inner, segments, where, split)) return false;
    } catch (const CGAL::Failure_exception&) {
      return false;
    }
    tris[f] = split[0];
    more.insert(more.end(), split.begin() + 1, split.end());
  }
  TriMesh flat;
  flat.xyz.reserve(3 * where.size());
  for (const Point3& p : where)
    flat.AddVertex(p.x(), p.y(), p.z());
  flat.tri.reserve(3 * (tris.size() + more.size()));
  for (const auto* list : {&tris, &more})
    for (const auto& t : *list)
      flat.AddTriangle(static_cast<int>(t[0]), static_cast<int>(t[1]), static_cast<int>(t[2]));
  if (!BuildAsGiven(flat, result)) return false;
  auto marks = result.add_property_map<EdgeIndex, bool>("e:cut", false).first;
  for (const auto& [p, q] : all_segments) {
    const auto [h, found] = CGAL::halfedge(VertexIndex(base + p), VertexIndex(base + q), result);
    if (!found) return false;
    marks[result.edge(h)] = true;
  }
  return true;
}

// Orders the points on each edge of one surface along it; false when two
// may be in the wrong order.
bool OrderAlongEdges(Cut& cut, const std::vector<CurvePoint>& points, int owner) {
  const std::size_t ne = cut.side.mesh->num_edges();
  std::vector<std::uint32_t> mine;
  for (std::uint32_t i = 0; i < points.size(); ++i)
    if (points[i].owner == owner) mine.push_back(i);
  std::sort(mine.begin(), mine.end(), [&points](std::uint32_t x, std::uint32_t y) {
    const CurvePoint &p = points[x], &q = points[y];
    return p.edge != q.edge ? p.edge < q.edge : p.t < q.t;
  });
  for (std::size_t i = 1; i < mine.size(); ++i) {
    const CurvePoint &p = points[mine[i - 1]], &q = points[mine[i]];
    if (p.edge == q.edge && q.t - p.t <= p.dt + q.dt) return false;
  }
  cut.on_edge = std::move(mine);
  cut.first.assign(ne + 1, 0);
  for (const std::uint32_t i : cut.on_edge)
    ++cut.first[points[i].edge + 1];
  for (std::size_t e = 0; e < ne; ++e)
    cut.first[e + 1] += cut.first[e];
  return true;
}

// Whether two faces of a surface that the curve runs through cross each
// other: then the curve itself could cross, and the corefinement refuses.
bool CutFacesCross(const Cut& cut) {
  std::vector<FaceIndex> faces;
  for (std::size_t f = 0; f < cut.segments.size(); ++f)
    if (!cut.segments[f].empty()) faces.emplace_back(static_cast<SurfaceMesh::size_type>(f));
  std::vector<std::pair<FaceIndex, FaceIndex>> crossings;
  PMP::self_intersections(faces, *cut.side.mesh, std::back_inserter(crossings));
  return !crossings.empty();
}

} // namespace

OwnCut CutAlongCurve(SurfaceMesh& a, SurfaceMesh& b) {
  Cut cut[2];
  ReadSide(a, cut[0].side);
  ReadSide(b, cut[1].side);
  using Box = CGAL::Box_intersection_d::Box_with_info_d<double, 3, std::uint32_t>;
  std::vector<Box> boxes[2];
  for (int s = 0; s < 2; ++s) {
    const Side& side = cut[s].side;
    boxes[s].reserve(side.corner.size());
    for (std::uint32_t f = 0; f < side.corner.size(); ++f) {
      const auto& c = side.corner[f];
      boxes[s].emplace_back(side.At(c[0]).bbox() + side.At(c[1]).bbox() + side.At(c[2]).bbox(), f);
    }
    cut[s].segments.resize(side.corner.size());
  }
  std::vector<CurvePoint> points;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> all_segments;
  // Each edge against each face, once: the point it made, or none.
  std::unordered_map<std::uint64_t, std::uint32_t> tested[2];
  bool unsure = false;
  // The point where an edge of surface s passes through face g of the
  // other, kNone when it does not; `unsure` on anything but that.
  auto edge_through = [&](int s, std::uint32_t e, std::uint32_t g) {
    const auto [it, fresh] = tested[s].emplace(std::uint64_t{e} << 32 | g, kNone);
    if (!fresh) return it->second;
    const Side& mine = cut[s].side;
    const Side& other = cut[1 - s].side;
    const Point3 &p = mine.Source(e), &q = mine.Target(e);
    const auto& c = other.corner[g];
    const Point3 &ta = other.At(c[0]), &tb = other.At(c[1]), &tc = other.At(c[2]);
    CGAL::Orientation op, oq;
    switch (EdgeThroughFace(p, q, ta, tb, tc, op, oq)) {
    case Meet::kMiss:
      return kNone;
    case Meet::kUnsure:
      unsure = true;
      return kNone;
    case Meet::kHit:
      break;
    }
    CurvePoint point;
    point.edge = e;
    point.owner = s;
    if (!CrossingPoint(p, q, ta, tb, tc, op, point)) {
      unsure = true;
      return kNone;
    }
    it->second = static_cast<std::uint32_t>(points.size());
    points.push_back(point);
    return it->second;
  };
  auto pair = [&](const Box& box_a, const Box& box_b) {
    if (unsure) return;
    const std::uint32_t fa = box_a.info(), fb = box_b.info();
    std::uint32_t ends[6], count = 0;
    for (int k = 0; k < 3 && !unsure; ++k) {
      const std::uint32_t p = edge_through(0, cut[0].side.edge[fa][k], fb);
      if (p != kNone) ends[count++] = p;
    }
    for (int k = 0; k < 3 && !unsure; ++k) {
      const std::uint32_t p = edge_through(1, cut[1].side.edge[fb][k], fa);
      if (p != kNone) ends[count++] = p;
    }
    if (unsure || count == 0) return;
    if (count != 2) {
      unsure = true;
      return;
    }
    cut[0].segments[fa].emplace_back(ends[0], ends[1]);
    cut[1].segments[fb].emplace_back(ends[0], ends[1]);
    all_segments.emplace_back(ends[0], ends[1]);
  };
  CGAL::box_intersection_d(boxes[0].begin(), boxes[0].end(), boxes[1].begin(), boxes[1].end(),
                           pair);
  if (unsure) return OwnCut::kUnsure;
  if (all_segments.empty()) return OwnCut::kApart;
  for (int s = 0; s < 2; ++s)
    if (!OrderAlongEdges(cut[s], points, s) || CutFacesCross(cut[s])) return OwnCut::kUnsure;
  SurfaceMesh made[2];
  for (int s = 0; s < 2; ++s)
    if (!BuildCut(cut[s], points, s, all_segments, made[s])) return OwnCut::kUnsure;
  a = std::move(made[0]);
  b = std::move(made[1]);
  return OwnCut::kCut;
}

} // namespace meshtools
