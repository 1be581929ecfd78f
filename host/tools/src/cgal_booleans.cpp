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
#include <CGAL/Polygon_mesh_processing/self_intersections.h>
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

// Watches the corefinement find the points where the surfaces meet. It
// counts them, so that solids which only touch (and leave no cut edge in an
// empty result) are told from solids that never met, and it flags on each
// mesh the faces around them: the faces that are about to be cut. Once all
// points are found, and before anything is cut, those faces are checked for
// self-intersections, which would make the cutting assert or loop.
//
// Checking only the faces the cut runs through is much cheaper than CGAL's
// own check (every face whose box meets the other surface's, collected in
// ordered sets), and is what the cut depends on: faces elsewhere are never
// changed. Degenerate faces, which CGAL's check also refuses, are removed
// by the preparation. The visitor is copied into the corefinement, so its
// state lives outside it.
struct CutWatch : PMP::Corefinement::Default_visitor<SurfaceMesh> {
  struct Side {
    const SurfaceMesh* mesh = nullptr;
    std::vector<char> cut;  // per face
  };
  struct State {
    Side side[2];
    std::size_t points = 0;
    int searches = 0;  // the corefinement searches edges of each mesh once
  };
  State* state;
  explicit CutWatch(State* s) : state(s) {}

  std::vector<char>& FlagsOf(const SurfaceMesh& m) const {
    for (Side& s : state->side)
      if (s.mesh == &m) return s.cut;
    Side& s = state->side[state->side[0].mesh == nullptr ? 0 : 1];
    s.mesh = &m;
    s.cut.assign(m.num_faces(), 0);  // removed faces keep their indices
    return s.cut;
  }
  static void FlagFace(std::vector<char>& flags, const SurfaceMesh& m, HalfedgeIndex h) {
    const FaceIndex f = m.face(h);
    if (f != SurfaceMesh::null_face() && static_cast<std::size_t>(f) < flags.size()) flags[f] = 1;
  }
  static void FlagAroundTarget(std::vector<char>& flags, const SurfaceMesh& m, HalfedgeIndex h) {
    for (HalfedgeIndex g : CGAL::halfedges_around_target(h, m)) FlagFace(flags, m, g);
  }

  static void FlagAroundEdge(std::vector<char>& flags, const SurfaceMesh& m, HalfedgeIndex h) {
    FlagFace(flags, m, h);
    FlagFace(flags, m, m.opposite(h));
  }

  // h1: the edge of tm1 that meets tm2, at its target or source when the
  // flag says so. h2: the face, edge or vertex (its target) of tm2 it meets.
  void intersection_point_detected(std::size_t, int type, HalfedgeIndex h1, HalfedgeIndex h2,
                                   const SurfaceMesh& tm1, const SurfaceMesh& tm2, bool at_target,
                                   bool at_source) {
    ++state->points;
    std::vector<char>& f1 = FlagsOf(tm1);
    if (at_target) FlagAroundTarget(f1, tm1, h1);
    if (at_source) FlagAroundTarget(f1, tm1, tm1.opposite(h1));
    if (!at_target && !at_source) FlagAroundEdge(f1, tm1, h1);
    std::vector<char>& f2 = FlagsOf(tm2);
    switch (type) {
      case PMP::Corefinement::ON_FACE:
        FlagFace(f2, tm2, h2);
        break;
      case PMP::Corefinement::ON_EDGE:
        FlagAroundEdge(f2, tm2, h2);
        break;
      default:
        FlagAroundTarget(f2, tm2, h2);
    }
  }

  void end_handling_edge_face_intersections() const {
    if (++state->searches < 2) return;
    for (const Side& s : state->side) {
      if (s.mesh == nullptr) continue;
      std::vector<FaceIndex> faces;
      for (std::size_t f = 0; f < s.cut.size(); ++f)
        if (s.cut[f]) faces.emplace_back(static_cast<SurfaceMesh::size_type>(f));
      if (PMP::does_self_intersect(faces, *s.mesh)) throw PMP::Corefinement::Self_intersection_exception();
    }
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
  CutWatch::State watch;
  try {
    const auto np_a = params::visitor(CutWatch(&watch));
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
  if (CountMarked(out, cut) == 0 && (watch.points < 2 || out.number_of_faces() > 0)) return Outcome::kNotCut;
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
  CutWatch::State watch;
  try {
    // B only sorts A's pieces, so it is left whole: no cutting of its faces,
    // and a smaller surface for the inside test below.
    PMP::corefine(ma, mb, params::edge_is_constrained_map(cut).visitor(CutWatch(&watch)), params::do_not_modify(true));
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
    CutWatch::State watch;
    try {
      manifold = PMP::corefine_and_compute_union(running, next, running, params::visitor(CutWatch(&watch)));
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
