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
// for meshes that cut cleanly. The refinement itself runs in the checked
// library (checked_refine.h).

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Side_of_triangle_mesh.h>

#include "cgal_mesh.h"
#include "checked_refine.h"
#include "mesh_cleanup.h"
#include "refined_cuts.h"

namespace meshtools {
namespace {

void Tell(Refusal* why, Refusal reason) {
  if (why != nullptr) *why = reason;
}

using checked::Hull;

// `solid` (closed) as `out`: itself when it does not intersect itself
// (kClean, `out` untouched), its outer hull otherwise.
Hull OuterHull(const TriMesh& solid, double tolerance, TriMesh& out) {
  SurfaceMesh sm;
  if (!PrepareSolid(solid, tolerance, sm)) return Hull::kRefused;
  TriMesh prepared;
  CopyToTriMesh(sm, prepared);
  return checked::OuterHull(prepared, out);
}

void Append(TriMesh& to, const TriMesh& from) {
  const int base = to.VertexCount();
  to.xyz.insert(to.xyz.end(), from.xyz.begin(), from.xyz.end());
  for (int c : from.tri)
    to.tri.push_back(base + c);
}

// The surface cut along the curves where it crosses itself
// (checked::PiecesBetweenCrossings).
bool PiecesBetweenCrossings(const TriMesh& surface, double tolerance,
                            std::vector<TriMesh>& pieces) {
  SurfaceMesh sm;
  if (!PrepareSurface(surface, tolerance, sm)) return false;
  TriMesh prepared;
  CopyToTriMesh(sm, prepared);
  return checked::PiecesBetweenCrossings(prepared, pieces);
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

} // namespace

Outcome CombineRefined(const TriMesh& a, const TriMesh& b, SolidOperation op, double tolerance_a,
                       double tolerance_b, TriMesh& result, Refusal* why) {
  Tell(why, Refusal::kSelfIntersecting);
  TriMesh hull_a, hull_b;
  const Hull ha = OuterHull(a, tolerance_a, hull_a);
  const Hull hb = OuterHull(b, tolerance_b, hull_b);
  if (ha == Hull::kRefused || hb == Hull::kRefused || (ha == Hull::kClean && hb == Hull::kClean))
    return Outcome::kRejected;
  return CombineSolids(ha == Hull::kRefined ? hull_a : a, hb == Hull::kRefined ? hull_b : b, op,
                       tolerance_a, tolerance_b, result, why);
}

Outcome SplitRefined(const TriMesh& a, const TriMesh& b, double tolerance_a, double tolerance_b,
                     TriMesh& outside, TriMesh& inside, Refusal* why) {
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

} // namespace meshtools
