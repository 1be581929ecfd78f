// The local road of the solid booleans: A ∩ B or A − B for two closed
// solids whose surfaces cross along curves that meet few of their
// triangles (a section cutter over part of an object, two large meshes
// that overlap).
//   Near triangles: those whose box meets the box of a triangle of the
//     other surface (found through a grid over the overlap of the solids'
//     boxes, near_triangles.cpp). Only they can meet the other surface, so
//     only they are corefined, as two open surfaces; every point where the
//     surfaces meet lies inside both near parts, never on their rims.
//   Pieces: the regions of each surface between the curve's edges, the far
//     triangles joined to the near faces they share an edge with. A piece
//     lies wholly inside or wholly outside the other solid. Which, is read
//     at each curve edge it borders from the four faces around that edge
//     (two of A, two of B), and every edge must agree.
//   Result: Intersection keeps the inside pieces of both; Difference keeps
//     A's outside pieces and B's inside pieces turned over. The two sides
//     meet on the curve's points, which the corefinement put into both near
//     parts alike.
// Nothing unusual is decided here: an input that needs any repair or has
// several shells, surfaces that touch or lie on each other, a verdict that
// rounding could have changed, or a result that is not closed is declined,
// and the whole road (cgal_booleans.cpp) decides as it always did.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Polygon_mesh_processing/corefinement.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cgal_mesh.h"
#include "cut_faces.h"
#include "cut_watch.h"
#include "local_boolean.h"
#include "mesh_cleanup.h"
#include "near_triangles.h"

namespace params = CGAL::parameters;

namespace meshtools {

bool ExactlyCollinear(const double* p, const double* q, const double* r) {
  return CGAL::collinear(Point3(p[0], p[1], p[2]), Point3(q[0], q[1], q[2]),
                         Point3(r[0], r[1], r[2]));
}

namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

std::atomic<unsigned long long> own_cuts{0};

// The near triangles of a solid as an open surface of their own.
struct NearPart {
  SurfaceMesh mesh;
  std::vector<int> vertex_of;   // near vertex (the first ones) -> solid's vertex
  std::vector<int> triangle_of; // near face (as built) -> solid's triangle
  // The near faces' halfedges on the rim, each with the far triangle
  // across it. The rim is never cut, so they stay valid through the
  // corefinement; the own cutter builds a new mesh, where they are found
  // again by their vertices, which it keeps.
  std::vector<std::pair<HalfedgeIndex, int>> rim;
  std::vector<char> on_rim; // by halfedge
};

bool BuildNearPart(const ClosedInput& s, const std::vector<char>& near, NearPart& part) {
  const TriMesh& m = *s.mesh;
  TriMesh local;
  std::vector<int>& triangle_of = part.triangle_of;
  std::vector<int> index(static_cast<std::size_t>(m.VertexCount()), -1);
  for (int t = 0; t < m.TriangleCount(); ++t) {
    if (!near[t]) continue;
    triangle_of.push_back(t);
    for (int k = 0; k < 3; ++k) {
      const int v = m.tri[3 * t + k];
      if (index[v] < 0) {
        index[v] = local.VertexCount();
        local.AddVertex(m.xyz[3 * v], m.xyz[3 * v + 1], m.xyz[3 * v + 2]);
        part.vertex_of.push_back(v);
      }
      local.tri.push_back(index[v]);
    }
  }
  // Built as given, face i is near triangle i and its halfedge the one
  // from its corner 0.
  if (!BuildAsGiven(local, part.mesh)) return false;
  for (std::size_t i = 0; i < triangle_of.size(); ++i) {
    const int t = triangle_of[i];
    HalfedgeIndex h = part.mesh.halfedge(FaceIndex(static_cast<SurfaceMesh::size_type>(i)));
    for (int k = 0; k < 3; ++k, h = part.mesh.next(h)) {
      const int across = s.opposite[3 * t + k] / 3;
      if (!near[across]) part.rim.emplace_back(h, across);
    }
  }
  return true;
}

// The ends of the rim's halfedges, which the own cutter keeps.
std::vector<std::pair<VertexIndex, VertexIndex>> RimEnds(const NearPart& part) {
  std::vector<std::pair<VertexIndex, VertexIndex>> ends;
  ends.reserve(part.rim.size());
  for (const auto& rim : part.rim)
    ends.emplace_back(part.mesh.source(rim.first), part.mesh.target(rim.first));
  return ends;
}

// The rim's halfedges again, in a near part that the own cutter rebuilt.
bool FindRims(NearPart& part, const std::vector<std::pair<VertexIndex, VertexIndex>>& ends) {
  const SurfaceMesh& m = part.mesh;
  for (std::size_t i = 0; i < part.rim.size(); ++i) {
    const auto [g, found] = CGAL::halfedge(ends[i].first, ends[i].second, m);
    if (!found || m.is_border(g)) return false;
    part.rim[i].first = g;
  }
  return true;
}

// Union-find over the pieces' elements.
class Pieces {
public:
  explicit Pieces(std::size_t n) : root_(n) {
    for (std::size_t i = 0; i < n; ++i)
      root_[i] = static_cast<std::uint32_t>(i);
  }
  std::uint32_t Find(std::uint32_t x) {
    while (root_[x] != x)
      x = root_[x] = root_[root_[x]];
    return x;
  }
  void Join(std::uint32_t a, std::uint32_t b) {
    a = Find(a);
    b = Find(b);
    if (a != b) root_[std::max(a, b)] = std::min(a, b);
  }
  // Every element straight to its root. A root is never above its
  // elements, so one pass in index order finds them all final.
  void Flatten() {
    for (std::uint32_t& r : root_)
      r = root_[r];
  }
  std::uint32_t Root(std::uint32_t x) const { return root_[x]; }
  std::size_t Size() const { return root_.size(); }

private:
  std::vector<std::uint32_t> root_;
};

// Whether the pieces, joined where they meet across the curve, are one
// shell: a solid of several shells may need its shells united first, which
// is the whole road's work.
bool OneShell(const Pieces& pieces,
              const std::vector<std::pair<std::uint32_t, std::uint32_t>>& across) {
  std::vector<std::uint32_t> roots;
  for (std::uint32_t x = 0; x < pieces.Size(); ++x)
    if (pieces.Root(x) == x) roots.push_back(x);
  Pieces shells(roots.size());
  auto index = [&roots](std::uint32_t r) {
    return static_cast<std::uint32_t>(std::lower_bound(roots.begin(), roots.end(), r) -
                                      roots.begin());
  };
  for (const auto& [p, q] : across)
    shells.Join(index(p), index(q));
  std::uint32_t first = 0;
  bool any = false;
  for (std::uint32_t i = 0; i < roots.size(); ++i) {
    const std::uint32_t r = shells.Find(i);
    if (!any) {
      first = r;
      any = true;
    } else if (r != first) {
      return false;
    }
  }
  return true;
}

using EdgeMarks = SurfaceMesh::Property_map<EdgeIndex, bool>;

// The pieces of one surface: near faces 0..F-1 of the cut near part, then
// the far triangles by their index, offset by F.
void JoinPieces(const ClosedInput& s, const std::vector<char>& near, const NearPart& part,
                EdgeMarks cut, Pieces& pieces) {
  const SurfaceMesh& sm = part.mesh;
  const auto far0 = static_cast<std::uint32_t>(sm.num_faces());
  for (FaceIndex f : sm.faces())
    for (HalfedgeIndex h : CGAL::halfedges_around_face(sm.halfedge(f), sm)) {
      const FaceIndex n = sm.face(sm.opposite(h));
      if (n == SurfaceMesh::null_face() || n > f || cut[sm.edge(h)]) continue;
      pieces.Join(static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(n));
    }
  const int nt = s.mesh->TriangleCount();
  for (int t = 0; t < nt; ++t) {
    if (near[t]) continue;
    for (int k = 0; k < 3; ++k) {
      const int u = s.opposite[3 * t + k] / 3;
      if (u > t && !near[u])
        pieces.Join(far0 + static_cast<std::uint32_t>(t), far0 + static_cast<std::uint32_t>(u));
    }
  }
  for (const auto& [h, t] : part.rim)
    pieces.Join(static_cast<std::uint32_t>(sm.face(h)), far0 + static_cast<std::uint32_t>(t));
  // The far slots of near triangles hold nothing; joined to a face of their
  // triangle, they make no piece of their own.
  for (std::size_t i = 0; i < part.triangle_of.size(); ++i)
    pieces.Join(static_cast<std::uint32_t>(i),
                far0 + static_cast<std::uint32_t>(part.triangle_of[i]));
}

// The sign of det(b − a, c − a, d − a), or 0 when it is too small to be
// sure of: the points the corefinement made are rounded (by a few units in
// the last place of the largest coordinate at most), and a sign that such
// a move of any point could flip is left undecided.
int SureOrientation(const Point3& a, const Point3& b, const Point3& c, const Point3& d) {
  double big = 0.0;
  for (const Point3* p : {&a, &b, &c, &d})
    for (int k = 0; k < 3; ++k)
      big = std::max(big, std::fabs((*p)[k]));
  const double u[3] = {b.x() - a.x(), b.y() - a.y(), b.z() - a.z()};
  const double v[3] = {c.x() - a.x(), c.y() - a.y(), c.z() - a.z()};
  const double w[3] = {d.x() - a.x(), d.y() - a.y(), d.z() - a.z()};
  const double det = u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
                     u[2] * (v[0] * w[1] - v[1] * w[0]);
  auto norm = [](const double* x) { return std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]); };
  const double nu = norm(u), nv = norm(v), nw = norm(w);
  const double e = 2.0 * std::sqrt(3.0) * 8.0 * kEps * big; // how far a difference can move
  const double bound = e * (nv * nw + nu * nw + nu * nv) + e * e * (nu + nv + nw) + e * e * e +
                       32.0 * kEps * nu * nv * nw;
  if (det > bound) return 1;
  if (det < -bound) return -1;
  return 0;
}

// Whether the direction from edge st towards x lies inside the solid whose
// faces at the edge are (s, t, r1) and (t, s, r2), both outward: 1 inside,
// 0 outside, -1 unsure.
int InsideAtEdge(const Point3& s, const Point3& t, const Point3& r1, const Point3& r2,
                 const Point3& x) {
  const int a = SureOrientation(s, t, r1, x), b = SureOrientation(t, s, r2, x);
  if (a == 0 || b == 0) return -1;
  if (a < 0 && b < 0) return 1;
  if (a > 0 && b > 0) return 0;
  // Between the planes: inside where the solid's angle at the edge is
  // reflex, outside where it is convex.
  const int bend = SureOrientation(s, t, r1, r2);
  if (bend == 0) return -1;
  return bend > 0 ? 1 : 0;
}

struct PointPairHash {
  std::size_t operator()(const std::array<double, 6>& k) const {
    std::size_t h = 1469598103934665603ull;
    for (double x : k) {
      std::uint64_t bits;
      std::memcpy(&bits, &x, sizeof bits);
      h = (h ^ bits) * 1099511628211ull;
    }
    return h;
  }
};

std::array<double, 6> EdgeKey(const Point3& p, const Point3& q) {
  const bool in_order = std::make_tuple(p.x(), p.y(), p.z()) < std::make_tuple(q.x(), q.y(), q.z());
  const Point3& a = in_order ? p : q;
  const Point3& b = in_order ? q : p;
  return {a.x(), a.y(), a.z(), b.x(), b.y(), b.z()};
}

// A piece's verdict: -1 none yet, 0 outside, 1 inside. False on a clash.
bool Tell(std::vector<signed char>& verdict, std::uint32_t piece, int inside) {
  if (inside < 0) return true;
  if (verdict[piece] < 0) verdict[piece] = static_cast<signed char>(inside);
  return verdict[piece] == inside;
}

// Writes the result's triangles, numbering each vertex once by a key:
// A's own vertices, then the vertices A's cut made, then B's own, then
// B's new ones. Points are rounded to single precision as they are taken.
class ResultWriter {
public:
  explicit ResultWriter(std::size_t keys, TriMesh& out) : index_(keys, -1), out_(out) {}
  // Called for every corner of the result: kept inline. `exact` says the
  // point is single precision already (an input's own vertex, when the
  // input is), which spares rounding it.
  [[gnu::always_inline]] int Vertex(std::size_t key, const double* p, bool exact = false) {
    int& i = index_[key];
    if (i < 0) {
      i = out_.VertexCount();
      if (exact)
        out_.AddVertex(p[0], p[1], p[2]);
      else
        out_.AddVertex(ToSinglePrecision(p[0]), ToSinglePrecision(p[1]), ToSinglePrecision(p[2]));
    }
    return i;
  }
  [[gnu::always_inline]] int Vertex(std::size_t key, const Point3& p) {
    const double xyz[3] = {p.x(), p.y(), p.z()};
    return Vertex(key, xyz);
  }

private:
  std::vector<int> index_;
  TriMesh& out_;
};

} // namespace

unsigned long long CountOwnCuts() {
  return own_cuts.load(std::memory_order_relaxed);
}

LocalRoad CombineLocally(const TriMesh& a, const TriMesh& b, SolidOperation op, TriMesh& result) {
  ClosedInput sa, sb;
  if (!ReadClosedInput(a, sa) || !ReadClosedInput(b, sb)) return LocalRoad::kDeclined;
  std::vector<char> near_a, near_b;
  SelectNear(sa, sb, near_a, near_b);
  if (std::find(near_a.begin(), near_a.end(), 1) == near_a.end()) return LocalRoad::kNotCut;
  CloseNearFans(sa, near_a);
  CloseNearFans(sb, near_b);
  NearPart pa, pb;
  if (!BuildNearPart(sa, near_a, pa) || !BuildNearPart(sb, near_b, pb)) return LocalRoad::kDeclined;
  const std::size_t mapped_a = pa.vertex_of.size(), mapped_b = pb.vertex_of.size();

  // Clean crossings are cut here; the corefinement takes the rest.
  CutWatch::State watch;
  EdgeMarks cut_a, cut_b;
  const auto rim_a = RimEnds(pa), rim_b = RimEnds(pb);
  const OwnCut own = CutAlongCurve(pa.mesh, pb.mesh);
  if (own == OwnCut::kApart) return LocalRoad::kNotCut;
  if (own == OwnCut::kCut) {
    cut_a = pa.mesh.property_map<EdgeIndex, bool>("e:cut").first;
    cut_b = pb.mesh.property_map<EdgeIndex, bool>("e:cut").first;
    if (!FindRims(pa, rim_a) || !FindRims(pb, rim_b)) return LocalRoad::kDeclined;
  } else {
    cut_a = pa.mesh.add_property_map<EdgeIndex, bool>("e:cut", false).first;
    cut_b = pb.mesh.add_property_map<EdgeIndex, bool>("e:cut", false).first;
    try {
      PMP::corefine(pa.mesh, pb.mesh,
                    params::edge_is_constrained_map(cut_a).visitor(CutWatch(&watch)),
                    params::edge_is_constrained_map(cut_b));
    } catch (const PMP::Corefinement::Self_intersection_exception&) {
      return LocalRoad::kDeclined;
    } catch (const CGAL::Failure_exception&) {
      return LocalRoad::kDeclined;
    }
  }
  const SurfaceMesh& ma = pa.mesh;
  const SurfaceMesh& mb = pb.mesh;

  // B's curve edges by their end points, which both parts share exactly;
  // each must be met once from A.
  struct CurveEdge {
    HalfedgeIndex halfedge;
    bool met = false;
  };
  std::unordered_map<std::array<double, 6>, CurveEdge, PointPairHash> edges_b;
  for (EdgeIndex e : mb.edges())
    if (cut_b[e]) {
      const HalfedgeIndex g = mb.halfedge(e);
      if (mb.is_border(e) ||
          !edges_b.emplace(EdgeKey(mb.point(mb.source(g)), mb.point(mb.target(g))), CurveEdge{g})
               .second)
        return LocalRoad::kDeclined;
    }
  // No curve: the surfaces never met, or touch. At one point only they are
  // not cut, as the whole road answers; at more they may touch along a
  // curve or an area, which the whole road tells apart.
  if (edges_b.empty()) return watch.points <= 1 ? LocalRoad::kNotCut : LocalRoad::kDeclined;

  const auto far_a = static_cast<std::uint32_t>(ma.num_faces());
  const auto far_b = static_cast<std::uint32_t>(mb.num_faces());
  Pieces pieces_a(far_a + a.TriangleCount()), pieces_b(far_b + b.TriangleCount());
  JoinPieces(sa, near_a, pa, cut_a, pieces_a);
  JoinPieces(sb, near_b, pb, cut_b, pieces_b);
  std::vector<signed char> verdict_a(far_a + a.TriangleCount(), -1),
      verdict_b(far_b + b.TriangleCount(), -1);

  // Around every curve edge: A's two faces, one inside B and one outside,
  // and B's likewise. The curve's vertices of B are A's, by position.
  constexpr auto kNone = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> weld(mb.num_vertices(), kNone);   // B vertex -> A vertex
  std::vector<std::uint8_t> curve_edges(ma.num_vertices(), 0); // per A vertex
  std::size_t matched = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> across_a, across_b; // pieces meeting
  for (EdgeIndex e : ma.edges()) {
    if (!cut_a[e]) continue;
    const HalfedgeIndex h = ma.halfedge(e), h2 = ma.opposite(h);
    if (ma.is_border(e)) return LocalRoad::kDeclined;
    const Point3 &s = ma.point(ma.source(h)), &t = ma.point(ma.target(h));
    const auto found = edges_b.find(EdgeKey(s, t));
    if (found == edges_b.end() || found->second.met) return LocalRoad::kDeclined;
    found->second.met = true;
    HalfedgeIndex g = found->second.halfedge;
    if (mb.point(mb.source(g)) != s) g = mb.opposite(g);
    const HalfedgeIndex g2 = mb.opposite(g);
    ++matched;
    for (const auto& [vb, va] :
         {std::pair(mb.source(g), ma.source(h)), std::pair(mb.target(g), ma.target(h))}) {
      std::uint32_t& w = weld[static_cast<std::size_t>(vb)];
      if (w != kNone && w != static_cast<std::uint32_t>(va)) return LocalRoad::kDeclined;
      w = static_cast<std::uint32_t>(va);
      if (++curve_edges[static_cast<std::size_t>(va)] > 2) return LocalRoad::kDeclined;
    }
    const Point3& p1 = ma.point(ma.target(ma.next(h)));
    const Point3& p2 = ma.point(ma.target(ma.next(h2)));
    const Point3& q1 = mb.point(mb.target(mb.next(g)));
    const Point3& q2 = mb.point(mb.target(mb.next(g2)));
    const int in_a1 = InsideAtEdge(s, t, q1, q2, p1), in_a2 = InsideAtEdge(s, t, q1, q2, p2);
    const int in_b1 = InsideAtEdge(s, t, p1, p2, q1), in_b2 = InsideAtEdge(s, t, p1, p2, q2);
    // Faces on the same side of the other surface: the surfaces touch here.
    if ((in_a1 >= 0 && in_a1 == in_a2) || (in_b1 >= 0 && in_b1 == in_b2))
      return LocalRoad::kDeclined;
    across_a.emplace_back(pieces_a.Find(static_cast<std::uint32_t>(ma.face(h))),
                          pieces_a.Find(static_cast<std::uint32_t>(ma.face(h2))));
    across_b.emplace_back(pieces_b.Find(static_cast<std::uint32_t>(mb.face(g))),
                          pieces_b.Find(static_cast<std::uint32_t>(mb.face(g2))));
    if (!Tell(verdict_a, pieces_a.Find(static_cast<std::uint32_t>(ma.face(h))), in_a1) ||
        !Tell(verdict_a, pieces_a.Find(static_cast<std::uint32_t>(ma.face(h2))), in_a2) ||
        !Tell(verdict_b, pieces_b.Find(static_cast<std::uint32_t>(mb.face(g))), in_b1) ||
        !Tell(verdict_b, pieces_b.Find(static_cast<std::uint32_t>(mb.face(g2))), in_b2))
      return LocalRoad::kDeclined;
  }
  if (matched != edges_b.size()) return LocalRoad::kDeclined;
  // Every point the cut made lies on the curve, passed through once: a
  // point where the surfaces only touch, or where curves cross, is left to
  // the whole road.
  for (std::size_t v = 0; v < ma.num_vertices(); ++v)
    if (curve_edges[v] != 2 && (curve_edges[v] != 0 || v >= mapped_a)) return LocalRoad::kDeclined;
  for (std::size_t v = mapped_b; v < mb.num_vertices(); ++v)
    if (weld[v] == kNone) return LocalRoad::kDeclined;

  // The result. Keys: A's own vertices, A's new ones, B's own, B's new
  // ones (only those not on the curve, which the check above rules out).
  const bool intersection = op == SolidOperation::kIntersection;
  const std::size_t key_a_new = static_cast<std::size_t>(a.VertexCount()) - mapped_a;
  const std::size_t key_b =
      static_cast<std::size_t>(a.VertexCount()) + (ma.num_vertices() - mapped_a);
  auto key_of_a = [&](VertexIndex v) {
    const auto i = static_cast<std::size_t>(v);
    return i < mapped_a ? static_cast<std::size_t>(pa.vertex_of[i]) : key_a_new + i;
  };
  TriMesh out;
  {
    // At most all of both surfaces and the faces the cut made: reserved so
    // the arrays are never moved while they grow.
    const std::size_t faces = static_cast<std::size_t>(a.TriangleCount() + b.TriangleCount()) +
                              ma.num_faces() + mb.num_faces();
    out.tri.reserve(3 * faces);
    out.xyz.reserve(3 * (key_b + static_cast<std::size_t>(b.VertexCount())));
  }
  ResultWriter writer(key_b + static_cast<std::size_t>(b.VertexCount()), out);
  std::vector<std::uint64_t> seams; // directed edges of kept near faces off the rims
  const bool check_all = !sa.single_precision || !sb.single_precision;
  std::vector<int> near_faces_out; // result triangles made from near faces
  pieces_a.Flatten();
  pieces_b.Flatten();
  auto keep = [](const std::vector<signed char>& verdict, const Pieces& pieces,
                 std::uint32_t element, int wanted, bool& unknown) {
    const int v = verdict[pieces.Root(element)];
    if (v < 0) unknown = true;
    return v == wanted;
  };
  bool unknown = false;
  pa.on_rim.assign(ma.num_halfedges(), 0);
  for (const auto& rim : pa.rim)
    pa.on_rim[static_cast<std::size_t>(rim.first)] = 1;
  pb.on_rim.assign(mb.num_halfedges(), 0);
  for (const auto& rim : pb.rim)
    pb.on_rim[static_cast<std::size_t>(rim.first)] = 1;

  // A's near faces, then its far triangles.
  for (FaceIndex f : ma.faces()) {
    if (!keep(verdict_a, pieces_a, static_cast<std::uint32_t>(f), intersection ? 1 : 0, unknown))
      continue;
    int corner[3], k = 0;
    for (HalfedgeIndex h : CGAL::halfedges_around_face(ma.halfedge(f), ma)) {
      const VertexIndex v = ma.target(h);
      corner[k++] = writer.Vertex(key_of_a(v), ma.point(v));
    }
    out.AddTriangle(corner[0], corner[1], corner[2]);
    near_faces_out.push_back(out.TriangleCount() - 1);
    // halfedges_around_face(halfedge(f)) starts with halfedge(f), which
    // ends at corner 0: the edge into corner k is corner k-1 -> corner k.
    k = 0;
    for (HalfedgeIndex h : CGAL::halfedges_around_face(ma.halfedge(f), ma)) {
      if (!pa.on_rim[static_cast<std::size_t>(h)])
        seams.push_back(static_cast<std::uint64_t>(corner[(k + 2) % 3]) << 32 |
                        static_cast<std::uint32_t>(corner[k]));
      ++k;
    }
  }
  for (int t = 0; t < a.TriangleCount(); ++t) {
    if (near_a[t] || !keep(verdict_a, pieces_a, far_a + static_cast<std::uint32_t>(t),
                           intersection ? 1 : 0, unknown))
      continue;
    int corner[3];
    for (int k = 0; k < 3; ++k) {
      const int v = a.tri[3 * t + k];
      corner[k] = writer.Vertex(static_cast<std::size_t>(v), &a.xyz[3 * v], sa.single_precision);
    }
    out.AddTriangle(corner[0], corner[1], corner[2]);
  }
  // B's inside pieces, turned over for a difference.
  auto key_of_b = [&](VertexIndex v) {
    const auto i = static_cast<std::size_t>(v);
    if (weld[i] != kNone) return key_of_a(VertexIndex(weld[i]));
    return key_b + static_cast<std::size_t>(pb.vertex_of[i]);
  };
  for (FaceIndex f : mb.faces()) {
    if (!keep(verdict_b, pieces_b, static_cast<std::uint32_t>(f), 1, unknown)) continue;
    int corner[3], k = 0;
    for (HalfedgeIndex h : CGAL::halfedges_around_face(mb.halfedge(f), mb)) {
      const VertexIndex v = mb.target(h);
      corner[k++] = writer.Vertex(key_of_b(v), mb.point(v));
    }
    if (!intersection) std::swap(corner[1], corner[2]);
    out.AddTriangle(corner[0], corner[1], corner[2]);
    near_faces_out.push_back(out.TriangleCount() - 1);
    k = 0;
    for (HalfedgeIndex h : CGAL::halfedges_around_face(mb.halfedge(f), mb)) {
      if (!pb.on_rim[static_cast<std::size_t>(h)]) {
        // Before turning, the halfedge into original corner k ran from
        // corner k-1; turning swapped corners 1 and 2 and every direction.
        static constexpr int kTurned[3] = {0, 2, 1};
        const int from = (k + 2) % 3, to = k;
        const std::uint64_t u =
            static_cast<std::uint32_t>(corner[intersection ? from : kTurned[to]]);
        const std::uint64_t w =
            static_cast<std::uint32_t>(corner[intersection ? to : kTurned[from]]);
        seams.push_back(u << 32 | w);
      }
      ++k;
    }
  }
  for (int t = 0; t < b.TriangleCount(); ++t) {
    if (near_b[t] || !keep(verdict_b, pieces_b, far_b + static_cast<std::uint32_t>(t), 1, unknown))
      continue;
    int corner[3];
    for (int k = 0; k < 3; ++k) {
      const int v = b.tri[3 * t + k];
      corner[k] =
          writer.Vertex(key_b + static_cast<std::size_t>(v), &b.xyz[3 * v], sb.single_precision);
    }
    if (!intersection) std::swap(corner[1], corner[2]);
    out.AddTriangle(corner[0], corner[1], corner[2]);
  }
  if (unknown || out.Empty() || !OneShell(pieces_a, across_a) || !OneShell(pieces_b, across_b))
    return LocalRoad::kDeclined;

  // Closed where it was cut: every directed edge of the kept near faces
  // (their rims excepted, whose far twins went with them) once, and its
  // twin once.
  std::sort(seams.begin(), seams.end());
  for (std::size_t i = 0; i < seams.size(); ++i) {
    if (i + 1 < seams.size() && seams[i + 1] == seams[i]) return LocalRoad::kDeclined;
    const std::uint64_t twin = seams[i] << 32 | seams[i] >> 32;
    if (!std::binary_search(seams.begin(), seams.end(), twin)) return LocalRoad::kDeclined;
  }
  // Rounding to single precision can flatten a face; the whole road's
  // finish removes those, and so does this one when there are any.
  const double* p = out.xyz.data();
  auto flat = [&](int t) {
    const int* c = &out.tri[3 * t];
    return Collinear(p + 3 * c[0], p + 3 * c[1], p + 3 * c[2]);
  };
  bool degenerate = false;
  if (check_all) {
    for (int t = 0; t < out.TriangleCount() && !degenerate; ++t)
      degenerate = flat(t);
  } else {
    for (int t : near_faces_out)
      if (flat(t)) {
        degenerate = true;
        break;
      }
  }
  if (degenerate && !FinishClosedAsGiven(out)) return LocalRoad::kDeclined;
  result = std::move(out);
  if (own == OwnCut::kCut) own_cuts.fetch_add(1, std::memory_order_relaxed);
  return LocalRoad::kDone;
}

} // namespace meshtools
