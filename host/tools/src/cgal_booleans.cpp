// Booleans by corefinement: the surfaces of A and B are cut along their
// intersection curve, then the pieces are sorted by which side of the other
// surface they lie on.
//   Intersection: the parts of A inside B, capped by the parts of B inside A.
//   Difference:   the parts of A outside B, capped by the parts of B inside A,
//                 turned over.
//   Split:        A (open) is only cut; its pieces are sorted into outside
//                 and inside B, without caps.
//   Union:        the solids are added one by one into a running union.
// "Not cut" is read from the cut itself: when the corefinement marks no edge
// as lying on the intersection curve, the surfaces did not cross, even if one
// solid lies wholly inside the other. The caller classifies those cases;
// only one solid twice (surfaces that coincide everywhere) is answered here.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Box_intersection_d/Box_with_info_d.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/measure.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
#include <CGAL/Side_of_triangle_mesh.h>
#include <CGAL/box_intersection_d.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "cgal_mesh.h"
#include "cut_watch.h"
#include "joined_groups.h"
#include "local_boolean.h"
#include "mesh_cleanup.h"
#include "near_copies.h"
#include "solid_ops.h"
#include "united_shells.h"

namespace PMP = CGAL::Polygon_mesh_processing;
namespace params = CGAL::parameters;

namespace meshtools {
namespace {

using EdgeMarks = SurfaceMesh::Property_map<EdgeIndex, bool>;

// A quick refusal before any preparation. The boxes hold every vertex, used
// or not, which can only let more pairs through to the exact test.
CGAL::Bbox_3 BoxOfVertices(const TriMesh& m) {
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (std::size_t i = 0; i + 2 < m.xyz.size(); i += 3)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], m.xyz[i + k]);
      hi[k] = std::max(hi[k], m.xyz[i + k]);
    }
  return CGAL::Bbox_3(lo[0], lo[1], lo[2], hi[0], hi[1], hi[2]);
}

bool BoxesMeet(const TriMesh& a, const TriMesh& b) {
  return CGAL::do_overlap(BoxOfVertices(a), BoxOfVertices(b));
}

std::size_t CountMarked(const SurfaceMesh& sm, EdgeMarks marks) {
  std::size_t n = 0;
  for (EdgeIndex e : sm.edges())
    if (marks[e]) ++n;
  return n;
}

// The regions of a cut surface between its cut edges, found by joining the
// faces on either side of every uncut edge. Faces are visited in index
// order, which reads the mesh's arrays front to back rather than hopping
// around them as a flood would. Each piece keeps its largest face, whose
// centroid lies farthest from the piece's rim and so is the safest point to
// classify.
struct Pieces {
  std::vector<std::uint32_t> of_face; // by face index
  std::vector<FaceIndex> largest;     // by piece
};

Pieces FindPieces(const SurfaceMesh& sm, EdgeMarks cut) {
  const std::size_t face_count = sm.num_faces(); // counts removed faces too
  JoinedGroups<std::uint32_t> joined(face_count);
  for (FaceIndex f : sm.faces())
    for (HalfedgeIndex h : CGAL::halfedges_around_face(sm.halfedge(f), sm)) {
      const FaceIndex n = sm.face(sm.opposite(h));
      if (n == SurfaceMesh::null_face() || n > f || cut[sm.edge(h)]) continue;
      joined.Join(static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(n));
    }
  constexpr std::uint32_t kNone = UINT32_MAX;
  Pieces pieces;
  pieces.of_face.assign(face_count, kNone);
  std::vector<double> largest_area;
  for (FaceIndex f : sm.faces()) {
    // Every root is the smallest face of its piece, so it is numbered first.
    const std::uint32_t r = joined.Root(static_cast<std::uint32_t>(f));
    std::uint32_t& id = pieces.of_face[f];
    if (r == static_cast<std::uint32_t>(f)) {
      id = static_cast<std::uint32_t>(pieces.largest.size());
      pieces.largest.push_back(f);
      largest_area.push_back(-1.0);
    } else {
      id = pieces.of_face[r];
    }
    const HalfedgeIndex h = sm.halfedge(f);
    const double area = CGAL::squared_area(sm.point(sm.source(h)), sm.point(sm.target(h)),
                                           sm.point(sm.target(sm.next(h))));
    if (area > largest_area[id]) {
      largest_area[id] = area;
      pieces.largest[id] = f;
    }
  }
  return pieces;
}

std::vector<Point3> ProbePoints(const SurfaceMesh& sm, const Pieces& pieces) {
  std::vector<Point3> probes;
  probes.reserve(pieces.largest.size());
  for (FaceIndex f : pieces.largest) {
    const HalfedgeIndex h = sm.halfedge(f);
    probes.push_back(CGAL::centroid(sm.point(sm.source(h)), sm.point(sm.target(h)),
                                    sm.point(sm.target(sm.next(h)))));
  }
  return probes;
}

enum class Crossing { kNone, kThrough, kOnSurface, kDegenerate };

// How the segment pq meets triangle abc, decided exactly. Touching an edge
// or a vertex, or running in the triangle's plane, is degenerate: the
// caller tries another segment.
Crossing Cross(const Point3& p, const Point3& q, const Point3& a, const Point3& b,
               const Point3& c) {
  const CGAL::Orientation op = CGAL::orientation(a, b, c, p), oq = CGAL::orientation(a, b, c, q);
  if (op == CGAL::COPLANAR) {
    if (Kernel::Triangle_3(a, b, c).has_on(p)) return Crossing::kOnSurface;
    return oq == CGAL::COPLANAR ? Crossing::kDegenerate : Crossing::kNone;
  }
  if (oq == CGAL::COPLANAR) return Crossing::kDegenerate;
  if (op == oq) return Crossing::kNone;
  const CGAL::Orientation s[3] = {CGAL::orientation(p, q, a, b), CGAL::orientation(p, q, b, c),
                                  CGAL::orientation(p, q, c, a)};
  bool positive = false, negative = false, zero = false;
  for (CGAL::Orientation o : s) {
    positive |= o == CGAL::POSITIVE;
    negative |= o == CGAL::NEGATIVE;
    zero |= o == CGAL::COPLANAR;
  }
  if (positive && negative) return Crossing::kNone;
  return zero ? Crossing::kDegenerate : Crossing::kThrough;
}

// Whether p lies inside the closed surface (or on it), from the parity of
// the crossings of a segment from p to beyond the surface's box. The
// segments run close to an axis but on none, so their boxes are thin and
// reject nearly every triangle by box alone, and a segment along a CAD
// model's edges or faces is unlikely; when one still meets an edge, the
// next direction is tried. False when every direction was degenerate.
bool InsideByParity(const SurfaceMesh& solid, const CGAL::Bbox_3& box, const Point3& p,
                    bool& inside) {
  static constexpr double kDirections[][3] = {{1, 0.01234, 0.00711},   {-0.00893, 1, 0.01317},
                                              {0.01071, -0.01429, 1},  {-1, 0.00977, -0.01153},
                                              {0.01361, -1, -0.00823}, {-0.01019, 0.00631, -1}};
  const double reach =
      2.0 * (std::abs(box.xmax() - box.xmin()) + std::abs(box.ymax() - box.ymin()) +
             std::abs(box.zmax() - box.zmin()) + std::abs(p.x() - box.xmin()) +
             std::abs(p.y() - box.ymin()) + std::abs(p.z() - box.zmin())) +
      1.0;
  for (const auto& d : kDirections) {
    const Point3 q(p.x() + reach * d[0], p.y() + reach * d[1], p.z() + reach * d[2]);
    const CGAL::Bbox_3 span = p.bbox() + q.bbox();
    int crossings = 0;
    bool degenerate = false;
    for (FaceIndex f : solid.faces()) {
      const HalfedgeIndex h = solid.halfedge(f);
      const Point3& a = solid.point(solid.source(h));
      const Point3& b = solid.point(solid.target(h));
      const Point3& c = solid.point(solid.target(solid.next(h)));
      if (!CGAL::do_overlap(span, a.bbox() + b.bbox() + c.bbox())) continue;
      const Crossing x = Cross(p, q, a, b, c);
      if (x == Crossing::kOnSurface) {
        inside = true;
        return true;
      }
      if (x == Crossing::kDegenerate) {
        degenerate = true;
        break;
      }
      if (x == Crossing::kThrough) ++crossings;
    }
    if (!degenerate) {
      inside = crossings % 2 == 1;
      return true;
    }
  }
  return false;
}

// Per point: inside or on the closed surface `solid`. A few points are
// tested against every face, which costs far less than a search tree; many
// points (or a point every segment meets degenerately) use the tree.
std::vector<char> InsideFlags(const SurfaceMesh& solid, const std::vector<Point3>& points) {
  constexpr std::size_t kMostPointsWithoutTree = 32;
  std::vector<char> inside(points.size(), 0);
  std::vector<std::size_t> undecided;
  if (points.size() <= kMostPointsWithoutTree) {
    const CGAL::Bbox_3 box = BoxOf(solid);
    for (std::size_t i = 0; i < points.size(); ++i) {
      bool in = false;
      if (InsideByParity(solid, box, points[i], in))
        inside[i] = in;
      else
        undecided.push_back(i);
    }
  } else {
    for (std::size_t i = 0; i < points.size(); ++i)
      undecided.push_back(i);
  }
  if (undecided.empty()) return inside;
  const CGAL::Side_of_triangle_mesh<SurfaceMesh, Kernel> side(solid);
  for (std::size_t i : undecided)
    inside[i] = side(points[i]) != CGAL::ON_UNBOUNDED_SIDE;
  return inside;
}

// The triangles of a surface a cut can reach: those whose boxes meet the
// box of one of the cutter's faces. Only they go through the corefinement.
// Every other triangle misses the cutter's surface and lies wholly on one
// side of it: outside when it lies outside the cutter's box (far), and
// otherwise (middle: within the box, away from the surface) on the side
// MiddleSides finds. This spares building and searching most of a large
// surface, whether the cutter is small or large and crosses little of it.
struct NearPart {
  TriMesh mesh;                      // the near triangles, on their own vertices
  std::vector<int> vertex_of;        // mesh vertex -> surface vertex
  std::vector<int> far_triangles;    // outside the cutter's box
  std::vector<int> middle_triangles; // inside its box, away from its surface
};

// False, leaving `part` empty, when too few triangles are left out for the
// split to be worth it.
bool SelectNearPart(const TriMesh& surface, const SurfaceMesh& cutter, NearPart& part) {
  using Box = CGAL::Box_intersection_d::Box_with_info_d<double, 3, int>;
  const CGAL::Bbox_3 reach = BoxOf(cutter);
  const int nt = surface.TriangleCount();
  const double* p = surface.xyz.data();
  auto corner = [p](int v) {
    const double* q = p + 3 * v;
    return CGAL::Bbox_3(q[0], q[1], q[2], q[0], q[1], q[2]);
  };
  std::vector<Box> candidates;
  for (int t = 0; t < nt; ++t) {
    const int* c = &surface.tri[3 * t];
    const CGAL::Bbox_3 box = corner(c[0]) + corner(c[1]) + corner(c[2]);
    if (CGAL::do_overlap(box, reach))
      candidates.emplace_back(box, t);
    else
      part.far_triangles.push_back(t);
  }
  std::vector<Box> faces;
  faces.reserve(cutter.number_of_faces());
  for (FaceIndex f : cutter.faces()) {
    const HalfedgeIndex h = cutter.halfedge(f);
    faces.emplace_back(cutter.point(cutter.source(h)).bbox() +
                           cutter.point(cutter.target(h)).bbox() +
                           cutter.point(cutter.target(cutter.next(h))).bbox(),
                       static_cast<int>(f));
  }
  enum Reach : char { kFar, kMiddle, kNear };
  std::vector<char> reach_of(static_cast<std::size_t>(nt), kFar);
  for (const Box& b : candidates)
    reach_of[b.info()] = kMiddle;
  CGAL::box_intersection_d(
      candidates.begin(), candidates.end(), faces.begin(), faces.end(),
      [&reach_of](const Box& mine, const Box&) { reach_of[mine.info()] = kNear; });
  std::vector<int> near_triangles;
  for (int t = 0; t < nt; ++t)
    if (reach_of[t] != kFar)
      (reach_of[t] == kNear ? near_triangles : part.middle_triangles).push_back(t);
  if ((part.far_triangles.size() + part.middle_triangles.size()) * 4 <
      static_cast<std::size_t>(nt)) {
    part = NearPart{};
    return false;
  }
  std::vector<int> local(static_cast<std::size_t>(surface.VertexCount()), -1);
  part.mesh.tri.reserve(near_triangles.size() * 3);
  for (int t : near_triangles)
    for (int k = 0; k < 3; ++k) {
      const int v = surface.tri[3 * t + k];
      if (local[v] < 0) {
        local[v] = part.mesh.VertexCount();
        part.mesh.AddVertex(p[3 * v], p[3 * v + 1], p[3 * v + 2]);
        part.vertex_of.push_back(v);
      }
      part.mesh.tri.push_back(local[v]);
    }
  return true;
}

// Per middle triangle, whether it lies inside the cutter. A middle
// triangle misses the cutter's surface, so triangles sharing a corner lie
// on the same side, and so do the cut pieces around that corner where it
// is also a corner of the near part. A group of middle triangles that
// touches no near piece is decided by a point test on one of its corners.
std::vector<char> MiddleSides(const TriMesh& surface, const SurfaceMesh& cut_surface,
                              const SurfaceMesh& cutter, const NearPart& near, const Pieces& pieces,
                              const std::vector<char>& piece_inside) {
  const std::vector<int>& middle = near.middle_triangles;
  JoinedGroups<std::size_t> groups(middle.size());
  constexpr std::size_t kNone = SIZE_MAX;
  std::vector<std::size_t> first_at(static_cast<std::size_t>(surface.VertexCount()), kNone);
  for (std::size_t i = 0; i < middle.size(); ++i)
    for (int k = 0; k < 3; ++k) {
      std::size_t& first = first_at[surface.tri[3 * middle[i] + k]];
      if (first == kNone)
        first = i;
      else
        groups.Join(i, first);
    }

  std::vector<int> near_vertex(static_cast<std::size_t>(surface.VertexCount()), -1);
  for (std::size_t v = 0; v < near.vertex_of.size(); ++v)
    near_vertex[near.vertex_of[v]] = static_cast<int>(v);
  std::vector<signed char> side(middle.size(), -1); // by group root
  for (std::size_t i = 0; i < middle.size(); ++i) {
    const std::size_t r = groups.Root(i);
    for (int k = 0; k < 3 && side[r] < 0; ++k) {
      const int v = near_vertex[surface.tri[3 * middle[i] + k]];
      if (v < 0) continue;
      const VertexIndex at(static_cast<SurfaceMesh::size_type>(v));
      for (HalfedgeIndex h : CGAL::halfedges_around_target(cut_surface.halfedge(at), cut_surface)) {
        const FaceIndex f = cut_surface.face(h);
        if (f == SurfaceMesh::null_face()) continue;
        side[r] = piece_inside[pieces.of_face[f]] ? 1 : 0;
        break;
      }
    }
  }
  std::vector<std::size_t> asked;
  std::vector<Point3> probes;
  for (std::size_t i = 0; i < middle.size(); ++i)
    if (groups.Root(i) == i && side[i] < 0) {
      const double* q = &surface.xyz[3 * static_cast<std::size_t>(surface.tri[3 * middle[i]])];
      asked.push_back(i);
      probes.emplace_back(q[0], q[1], q[2]);
    }
  const std::vector<char> asked_inside = InsideFlags(cutter, probes);
  for (std::size_t j = 0; j < asked.size(); ++j)
    side[asked[j]] = asked_inside[j] ? 1 : 0;
  std::vector<char> inside(middle.size());
  for (std::size_t i = 0; i < middle.size(); ++i)
    inside[i] = side[groups.Root(i)] == 1;
  return inside;
}

// Collects one side of a split into plain arrays. The cut surface's
// vertices that came from the original surface and the far triangles'
// vertices are the same vertices, so the two halves of a piece join again
// where the near part was taken out.
class SplitWriter {
public:
  SplitWriter(const TriMesh& surface, const SurfaceMesh& cut_surface, const NearPart& near,
              TriMesh& out)
      : surface_(surface), cut_(cut_surface), near_(near), out_(out) {
    // Keys: the surface's own vertices first, then the vertices the cut made.
    mapped_ = near.vertex_of.size();
    base_ = mapped_ > 0 ? static_cast<std::size_t>(surface.VertexCount()) : 0;
    index_.assign(base_ + cut_surface.num_vertices() - mapped_, -1);
  }

  void AddFace(FaceIndex f) {
    for (HalfedgeIndex h : CGAL::halfedges_around_face(cut_.halfedge(f), cut_)) {
      const auto v = static_cast<std::size_t>(cut_.target(h));
      const std::size_t key =
          v < mapped_ ? static_cast<std::size_t>(near_.vertex_of[v]) : base_ + v - mapped_;
      const Point3& p = cut_.point(cut_.target(h));
      out_.tri.push_back(Vertex(key, p.x(), p.y(), p.z()));
    }
  }

  void AddTriangleOfA(int t) {
    for (int k = 0; k < 3; ++k) {
      const int v = surface_.tri[3 * t + k];
      const double* p = &surface_.xyz[3 * v];
      out_.tri.push_back(Vertex(static_cast<std::size_t>(v), p[0], p[1], p[2]));
    }
  }

private:
  int Vertex(std::size_t key, double x, double y, double z) {
    int& i = index_[key];
    if (i < 0) {
      i = out_.VertexCount();
      out_.AddVertex(x, y, z);
    }
    return i;
  }

  const TriMesh& surface_;
  const SurfaceMesh& cut_;
  const NearPart& near_;
  TriMesh& out_;
  std::size_t mapped_ = 0, base_ = 0;
  std::vector<int> index_;
};

// Whether some two of the volumes have boxes that meet: only then can their
// surfaces cross.
bool AnyBoxesMeet(const std::vector<TriMesh>& volumes) {
  std::vector<CGAL::Bbox_3> boxes;
  boxes.reserve(volumes.size());
  for (const TriMesh& v : volumes)
    boxes.push_back(BoxOfVertices(v));
  for (std::size_t i = 0; i < boxes.size(); ++i)
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      if (CGAL::do_overlap(boxes[i], boxes[j])) return true;
  return false;
}

bool Unite(const std::vector<const TriMesh*>& solids, double tolerance,
           std::vector<TriMesh>& volumes, bool merge_shells);

// PrepareSolid, and a solid made of closed shells that run into each other
// (parts modelled as overlapping pieces and saved as one mesh) replaced by
// the union of its shells: as it stands, a point inside two shells would
// count as outside, and the shells' crossings would stop any cut through
// them. Volumes whose boxes are apart, the usual reason for several shells,
// are left as they are.
bool PrepareCutSolid(const TriMesh& in, double tolerance, SurfaceMesh& out) {
  bool several = false;
  if (!PrepareSolid(in, tolerance, out, &several)) return false;
  if (!several) return true;
  TriMesh whole;
  if (!FindUnitedShells(in, tolerance, whole)) {
    std::vector<TriMesh> volumes;
    SplitIntoVolumes(out, volumes);
    if (volumes.size() < 2 || !AnyBoxesMeet(volumes)) return true;
    std::vector<const TriMesh*> parts;
    for (const TriMesh& v : volumes)
      parts.push_back(&v);
    std::vector<TriMesh> united;
    // Each volume is one outward shell with its cavities, so uniting them
    // cannot come back here with shells to merge.
    if (Unite(parts, tolerance, united, false))
      for (const TriMesh& v : united) {
        const int base = whole.VertexCount();
        whole.xyz.insert(whole.xyz.end(), v.xyz.begin(), v.xyz.end());
        for (int c : v.tri)
          whole.tri.push_back(base + c);
      }
    KeepUnitedShells(in, tolerance, whole);
  }
  return !whole.Empty() && PrepareSolid(whole, tolerance, out);
}

void Tell(Refusal* why, Refusal reason) {
  if (why != nullptr) *why = reason;
}

// One solid twice (a copy in place, the same element from two sources):
// the surfaces coincide everywhere, so the corefinement marks no cut edge,
// yet the intersection is the whole solid. Told from a solid inside the
// other by volume: only then does the intersection fill both.
bool SameSolidTwice(const SurfaceMesh& a, const SurfaceMesh& b, const SurfaceMesh& meet) {
  const double va = PMP::volume(a), vb = PMP::volume(b), vm = PMP::volume(meet);
  const double tolerance = 1e-9 * std::max(std::fabs(va), std::fabs(vb));
  return va > 0.0 && std::fabs(va - vb) <= tolerance && std::fabs(vm - va) <= tolerance;
}

} // namespace

namespace {

std::atomic<unsigned long long> local_roads{0}, whole_roads{0};

} // namespace

CombineRoads CountCombineRoads() {
  CombineRoads roads;
  roads.local = local_roads.load(std::memory_order_relaxed);
  roads.whole = whole_roads.load(std::memory_order_relaxed);
  roads.own_cut = CountOwnCuts();
  return roads;
}

namespace {

// What an operation answers before any work: unfit inputs are refused, and
// surfaces whose boxes are apart are not cut. Nothing when the work is due.
std::optional<Outcome> Screen(const TriMesh& a, const TriMesh& b, Refusal* why) {
  Tell(why, Refusal::kNone);
  const bool a_formed = IsWellFormed(a) && !a.Empty();
  if (!a_formed || !IsWellFormed(b) || b.Empty()) {
    Tell(why, a_formed ? Refusal::kUnfitB : Refusal::kUnfitA);
    return Outcome::kRejected;
  }
  if (!BoxesMeet(a, b)) return Outcome::kNotCut;
  return std::nullopt;
}

} // namespace

// Most cuts cross a small part of each surface: the local road corefines
// only that part and passes everything unusual (repairs, several shells,
// touching or coplanar surfaces) on to the whole road below.
Outcome CombineSolids(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                      double tolerance_b, TriMesh& result, Refusal* why) {
  if (const std::optional<Outcome> early = Screen(a, b, why)) return *early;
  switch (CombineLocally(a, b, op, result)) {
  case LocalRoad::kDone:
    local_roads.fetch_add(1, std::memory_order_relaxed);
    return Outcome::kDone;
  case LocalRoad::kNotCut:
    local_roads.fetch_add(1, std::memory_order_relaxed);
    return Outcome::kNotCut;
  case LocalRoad::kDeclined:
    break;
  }
  whole_roads.fetch_add(1, std::memory_order_relaxed);
  return CombineSolidsWhole(a, b, op, tolerance_a, tolerance_b, result, why);
}

Outcome CombineSolidsWhole(const TriMesh& a, const TriMesh& b, SolidOperation op,
                           double tolerance_a, double tolerance_b, TriMesh& result, Refusal* why) {
  if (const std::optional<Outcome> early = Screen(a, b, why)) return *early;
  SurfaceMesh ma, mb;
  if (!PrepareCutSolid(a, tolerance_a, ma)) {
    Tell(why, Refusal::kUnfitA);
    return Outcome::kRejected;
  }
  if (!PrepareCutSolid(b, tolerance_b, mb)) {
    Tell(why, Refusal::kUnfitB);
    return Outcome::kRejected;
  }
  // A difference keeps most of A, so it is written over A's surface, which
  // saves copying the untouched part; an intersection keeps little of A and
  // goes to a fresh mesh rather than deleting most of A.
  const bool in_place = op == SolidOperation::kDifference;
  SurfaceMesh fresh;
  SurfaceMesh& out = in_place ? ma : fresh;
  EdgeMarks cut = out.add_property_map<EdgeIndex, bool>("e:cut", false).first;
  bool manifold = false;
  CutWatch::State watch;
  try {
    const auto np_a = params::visitor(CutWatch(&watch));
    const auto np_out = params::edge_is_constrained_map(cut);
    manifold = in_place ? PMP::corefine_and_compute_difference(ma, mb, out, np_a,
                                                               params::default_values(), np_out)
                        : PMP::corefine_and_compute_intersection(ma, mb, out, np_a,
                                                                 params::default_values(), np_out);
  } catch (const PMP::Corefinement::Self_intersection_exception&) {
    Tell(why, Refusal::kSelfIntersecting);
    return Outcome::kRejected;
  }
  if (!manifold) {
    Tell(why, Refusal::kNoValidResult);
    return Outcome::kFailed;
  }
  // A cut shows as marked edges in the result. Without any, the surfaces
  // either never met (not cut), or met without crossing and the result is
  // empty: solids touching from outside along a curve or an area (two or
  // more intersection points) have an exact, empty intersection. Touching
  // at one point counts as not meeting. Surfaces that meet everywhere are
  // one solid twice, whose intersection is the solid.
  if (CountMarked(out, cut) == 0 && (watch.points < 2 || out.number_of_faces() > 0) &&
      !(op == SolidOperation::kIntersection && watch.points >= 2 && SameSolidTwice(ma, mb, out)))
    return Outcome::kNotCut;
  out.remove_property_map(cut);
  out.collect_garbage();
  if (!FinishResult(out, true)) {
    Tell(why, Refusal::kNoValidResult);
    return Outcome::kFailed;
  }
  CopyToTriMesh(out, result);
  return Outcome::kDone;
}

Outcome SplitSurface(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside, Refusal* why) {
  if (const std::optional<Outcome> early = Screen(a, b, why)) return *early;
  SurfaceMesh ma, mb;
  if (!PrepareCutSolid(b, tolerance_b, mb)) {
    Tell(why, Refusal::kUnfitB);
    return Outcome::kRejected;
  }
  NearPart near;
  if (SelectNearPart(a, mb, near)) {
    if (near.mesh.Empty()) return Outcome::kNotCut;
    if (!BuildAsGiven(near.mesh, ma))
      near = NearPart{}; // needs repair: prepare the whole of A instead
  }
  if (near.vertex_of.empty() && !PrepareSurface(a, tolerance_a, ma)) {
    Tell(why, Refusal::kUnfitA);
    return Outcome::kRejected;
  }
  EdgeMarks cut = ma.add_property_map<EdgeIndex, bool>("e:cut", false).first;
  CutWatch::State watch;
  try {
    // B only sorts A's pieces, so it is left whole: no cutting of its faces,
    // and a smaller surface for the inside test below.
    PMP::corefine(ma, mb, params::edge_is_constrained_map(cut).visitor(CutWatch(&watch)),
                  params::do_not_modify(true));
  } catch (const PMP::Corefinement::Self_intersection_exception&) {
    Tell(why, Refusal::kSelfIntersecting);
    return Outcome::kRejected;
  }
  if (CountMarked(ma, cut) == 0) return Outcome::kNotCut;

  // Each piece lies wholly on one side of B; a point on it tells which.
  const Pieces pieces = FindPieces(ma, cut);
  ma.remove_property_map(cut);
  const std::vector<char> is_inside = InsideFlags(mb, ProbePoints(ma, pieces));
  TriMesh out_part, in_part; // not written in place: a result may be A itself
  SplitWriter out_writer(a, ma, near, out_part), in_writer(a, ma, near, in_part);
  for (FaceIndex f : ma.faces())
    (is_inside[pieces.of_face[f]] ? in_writer : out_writer).AddFace(f);
  for (int t : near.far_triangles)
    out_writer.AddTriangleOfA(t);
  const std::vector<char> middle_inside = MiddleSides(a, ma, mb, near, pieces, is_inside);
  for (std::size_t i = 0; i < near.middle_triangles.size(); ++i)
    (middle_inside[i] ? in_writer : out_writer).AddTriangleOfA(near.middle_triangles[i]);
  for (TriMesh* part : {&out_part, &in_part}) {
    RoundToSinglePrecision(*part);
    CleanRoundedSurface(*part);
  }
  outside = std::move(out_part);
  inside = std::move(in_part);
  return Outcome::kDone;
}

bool UniteSolids(const std::vector<const TriMesh*>& solids, double tolerance,
                 std::vector<TriMesh>& volumes) {
  return Unite(solids, tolerance, volumes, true);
}

namespace {

// With merge_shells, a source of overlapping shells takes part as the union
// of its shells.
bool Unite(const std::vector<const TriMesh*>& solids, double tolerance,
           std::vector<TriMesh>& volumes, bool merge_shells) {
  auto prepare = [&](const TriMesh& source, SurfaceMesh& sm) {
    return merge_shells ? PrepareCutSolid(source, tolerance, sm)
                        : PrepareSolid(source, tolerance, sm);
  };
  bool complete = true;
  SurfaceMesh running;
  bool have_running = false;
  std::vector<SurfaceMesh> apart; // solids that could not join the running union
  NearCopies seen;
  for (const TriMesh* source : solids) {
    // A copy (a shell or solid given twice: copies left in place, a file
    // imported twice) adds nothing, and uniting it lays every face on a
    // face of the running union, where the corefinement is weakest: such
    // copies crashed inside it.
    if (source != nullptr && seen.SeenBefore(*source)) continue;
    SurfaceMesh next;
    if (source == nullptr || !prepare(*source, next)) {
      complete = false;
      continue;
    }
    if (!have_running) {
      running = std::move(next);
      have_running = true;
      continue;
    }
    // A failed step must not lose the union so far; corefinement may have
    // half-changed its operands by the time it gives up.
    SurfaceMesh before = running;
    bool manifold = false;
    CutWatch::State watch;
    try {
      // The union so far holds rounded crossing points; where shells lie
      // almost on each other those can leave it crossing itself, and CGAL
      // then reads outside its data on coplanar faces instead of failing,
      // so it checks the faces involved first.
      manifold = PMP::corefine_and_compute_union(
          running, next, running,
          params::visitor(CutWatch(&watch)).throw_on_self_intersection(true));
    } catch (const PMP::Corefinement::Self_intersection_exception&) {
      complete = false; // kept apart below, but its overlap stays unresolved
    }
    if (!manifold) {
      // Also when the union would be non-manifold (solids touching along an
      // edge or at a vertex): kept as its own closed mesh, which still
      // describes the union exactly.
      running = std::move(before);
      if (!prepare(*source, next)) continue;
      apart.push_back(std::move(next));
    }
  }
  if (!have_running) return false;
  running.collect_garbage();
  if (!FinishResult(running, true)) return false;
  SplitIntoVolumes(running, volumes);
  for (SurfaceMesh& s : apart)
    if (FinishResult(s, true)) SplitIntoVolumes(s, volumes);
  return complete;
}

} // namespace

} // namespace meshtools
