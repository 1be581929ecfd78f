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
// solid lies wholly inside the other. The caller classifies those cases.
#include <CGAL/Polygon_mesh_processing/connected_components.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Side_of_triangle_mesh.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "cgal_mesh.h"
#include "mesh_cleanup.h"
#include "solid_ops.h"

namespace PMP = CGAL::Polygon_mesh_processing;
namespace params = CGAL::parameters;

namespace meshtools {
namespace {

using EdgeMarks = SurfaceMesh::Property_map<EdgeIndex, bool>;

// A quick refusal before any preparation. The boxes hold every vertex, used
// or not, which can only let more pairs through to the exact test.
bool BoxesMeet(const TriMesh& a, const TriMesh& b) {
  auto box = [](const TriMesh& m) {
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (std::size_t i = 0; i + 2 < m.xyz.size(); i += 3)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], m.xyz[i + k]);
        hi[k] = std::max(hi[k], m.xyz[i + k]);
      }
    return CGAL::Bbox_3(lo[0], lo[1], lo[2], hi[0], hi[1], hi[2]);
  };
  return CGAL::do_overlap(box(a), box(b));
}

// Counts the intersection points the corefinement finds, so that solids
// which only touch (and leave no cut edge in an empty result) are told from
// solids that never met.
struct MeetingCounter : PMP::Corefinement::Default_visitor<SurfaceMesh> {
  std::size_t* points;
  explicit MeetingCounter(std::size_t* p) : points(p) {}
  void intersection_point_detected(std::size_t, int, HalfedgeIndex, HalfedgeIndex, const SurfaceMesh&,
                                   const SurfaceMesh&, bool, bool) {
    ++*points;
  }
};

std::size_t CountMarked(const SurfaceMesh& sm, EdgeMarks marks) {
  std::size_t n = 0;
  for (EdgeIndex e : sm.edges())
    if (marks[e]) ++n;
  return n;
}

}  // namespace

Outcome CombineSolids(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                      double tolerance_b, TriMesh& result) {
  if (!IsWellFormed(a) || !IsWellFormed(b) || a.Empty() || b.Empty()) return Outcome::kRejected;
  if (!BoxesMeet(a, b)) return Outcome::kNotCut;
  SurfaceMesh ma, mb;
  if (!PrepareSolid(a, tolerance_a, ma) || !PrepareSolid(b, tolerance_b, mb)) return Outcome::kRejected;
  // A difference keeps most of A, so it is written over A's surface, which
  // saves copying the untouched part; an intersection keeps little of A and
  // goes to a fresh mesh rather than deleting most of A.
  const bool in_place = op == SolidOperation::kDifference;
  SurfaceMesh fresh;
  SurfaceMesh& out = in_place ? ma : fresh;
  EdgeMarks cut = out.add_property_map<EdgeIndex, bool>("e:cut", false).first;
  bool manifold = false;
  std::size_t meeting_points = 0;
  try {
    const auto np_a = params::throw_on_self_intersection(true).visitor(MeetingCounter(&meeting_points));
    const auto np_out = params::edge_is_constrained_map(cut);
    manifold = in_place
                   ? PMP::corefine_and_compute_difference(ma, mb, out, np_a, params::default_values(), np_out)
                   : PMP::corefine_and_compute_intersection(ma, mb, out, np_a, params::default_values(), np_out);
  } catch (const PMP::Corefinement::Self_intersection_exception&) {
    return Outcome::kRejected;
  }
  if (!manifold) return Outcome::kFailed;
  // A cut shows as marked edges in the result. Without any, the surfaces
  // either never met (not cut), or met without crossing and the result is
  // empty: solids touching from outside along a curve or an area (two or
  // more intersection points) have an exact, empty intersection. Touching
  // at one point counts as not meeting.
  if (CountMarked(out, cut) == 0 && (meeting_points < 2 || out.number_of_faces() > 0)) return Outcome::kNotCut;
  out.remove_property_map(cut);
  out.collect_garbage();
  if (!FinishResult(out, true)) return Outcome::kFailed;
  CopyToTriMesh(out, result);
  return Outcome::kDone;
}

Outcome SplitSurface(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside) {
  if (!IsWellFormed(a) || !IsWellFormed(b) || a.Empty() || b.Empty()) return Outcome::kRejected;
  if (!BoxesMeet(a, b)) return Outcome::kNotCut;
  SurfaceMesh ma, mb;
  if (!PrepareSurface(a, tolerance_a, ma) || !PrepareSolid(b, tolerance_b, mb)) return Outcome::kRejected;
  EdgeMarks cut = ma.add_property_map<EdgeIndex, bool>("e:cut", false).first;
  try {
    PMP::corefine(ma, mb, params::edge_is_constrained_map(cut).throw_on_self_intersection(true),
                  params::default_values());
  } catch (const PMP::Corefinement::Self_intersection_exception&) {
    return Outcome::kRejected;
  }
  if (CountMarked(ma, cut) == 0) return Outcome::kNotCut;

  // Pieces of A are the regions between cut edges. Each is sorted by its
  // largest face, whose centroid lies farthest from the piece's rim.
  auto piece = ma.add_property_map<FaceIndex, std::size_t>("f:piece", 0).first;
  const std::size_t n = PMP::connected_components(ma, piece, params::edge_is_constrained_map(cut));
  std::vector<FaceIndex> probe(n, SurfaceMesh::null_face());
  std::vector<double> probe_area(n, -1.0);
  for (FaceIndex f : ma.faces()) {
    const HalfedgeIndex h = ma.halfedge(f);
    const double area = CGAL::squared_area(ma.point(ma.source(h)), ma.point(ma.target(h)),
                                           ma.point(ma.target(ma.next(h))));
    if (area > probe_area[piece[f]]) {
      probe_area[piece[f]] = area;
      probe[piece[f]] = f;
    }
  }
  CGAL::Side_of_triangle_mesh<SurfaceMesh, Kernel> side(mb);
  std::vector<char> is_inside(n, 0);
  for (std::size_t c = 0; c < n; ++c) {
    const HalfedgeIndex h = ma.halfedge(probe[c]);
    const Point3 centre = CGAL::centroid(ma.point(ma.source(h)), ma.point(ma.target(h)),
                                         ma.point(ma.target(ma.next(h))));
    is_inside[c] = side(centre) != CGAL::ON_UNBOUNDED_SIDE;
  }
  std::vector<FaceIndex> out_faces, in_faces;
  for (FaceIndex f : ma.faces()) (is_inside[piece[f]] ? in_faces : out_faces).push_back(f);
  ma.remove_property_map(piece);
  ma.remove_property_map(cut);
  for (auto [faces, target] : {std::pair{&out_faces, &outside}, std::pair{&in_faces, &inside}}) {
    CopyFaces(ma, *faces, *target);
    RoundToSinglePrecision(*target);
    CleanRoundedSurface(*target);
  }
  return Outcome::kDone;
}

bool UniteSolids(const std::vector<const TriMesh*>& solids, double tolerance,
                 std::vector<TriMesh>& volumes) {
  bool complete = true;
  SurfaceMesh running;
  bool have_running = false;
  std::vector<SurfaceMesh> apart;  // solids that could not join the running union
  for (const TriMesh* source : solids) {
    SurfaceMesh next;
    if (source == nullptr || !PrepareSolid(*source, tolerance, next)) {
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
    try {
      manifold = PMP::corefine_and_compute_union(running, next, running,
                                                 params::throw_on_self_intersection(true));
    } catch (const PMP::Corefinement::Self_intersection_exception&) {
      complete = false;  // kept apart below, but its overlap stays unresolved
    }
    if (!manifold) {
      // Also when the union would be non-manifold (solids touching along an
      // edge or at a vertex): kept as its own closed mesh, which still
      // describes the union exactly.
      running = std::move(before);
      if (!PrepareSolid(*source, tolerance, next)) continue;
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

}  // namespace meshtools
