// Making surfaces fit for corefinement, and the repairs that need CGAL.
//
// Corefinement assumes, without checking in release builds, that its inputs
// are triangle meshes that are manifold, bound a volume (closed, outward
// shells, inward cavities) and have no degenerate faces; breaking any of that
// can assert, throw or loop inside CGAL. So every input passes through
// PrepareSolid or PrepareSurface first:
//   1. coordinates finite and of sane size, indices valid;
//   2. the fast road: the triangles as given, if they form a manifold surface
//      (closed, for a solid);
//   3. otherwise the slow road: weld within the weld distance, drop collapsed
//      and duplicate triangles, and build again, straight from the arrays
//      when the welded triangles agree in orientation, or else by orienting
//      them as a soup;
//   4. degenerate faces removed, and solids oriented outward shell by shell.
// Self-intersections are looked for only among the faces the cut runs
// through, once the corefinement has found them and before it cuts (see
// CutWatch in cgal_booleans.cpp), which is far cheaper than testing the whole
// surface first.

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/Polygon_mesh_processing/border.h>
#include <CGAL/Polygon_mesh_processing/connected_components.h>
#include <CGAL/Polygon_mesh_processing/orient_polygon_soup.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/polygon_soup_to_polygon_mesh.h>
#include <CGAL/Polygon_mesh_processing/stitch_borders.h>
#include <CGAL/Polygon_mesh_processing/triangulate_hole.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <unordered_set>

#include "cgal_mesh.h"
#include "mesh_cleanup.h"
#include "solid_ops.h"

namespace PMP = CGAL::Polygon_mesh_processing;

namespace meshtools {
namespace {

// Holes with more edges than this are left open: hole filling searches a
// table cubic in the hole size, and a hole that large is no seam to repair.
constexpr int kMaxHoleEdges = 400;

// Builds the halfedge structure straight from the triangle arrays, which is
// several times faster than adding faces one by one (each add_face searches
// and relinks the neighbourhood). False, with `sm` unspecified, unless the
// triangles form a consistently oriented manifold surface: every directed
// edge once, every vertex a single fan (its rim may be open). Every vertex
// must be used by a triangle. `closed` tells whether the surface has no rim,
// which spares a walk over the finished mesh.
bool BuildDirect(const TriMesh& in, SurfaceMesh& sm, bool& closed) {
  const int nv = in.VertexCount(), nt = in.TriangleCount(), nh = 3 * nt;
  const int* tri = in.tri.data();
  auto next = [](int c) { return c % 3 == 2 ? c - 2 : c + 1; };
  auto prev = [](int c) { return c % 3 == 0 ? c + 2 : c - 1; };
  // Halfedge c runs from corner c to the next corner of its triangle. The
  // halfedges leaving each vertex are kept in one row per vertex, each with
  // the vertex it runs to beside it, so a search stays inside the row.
  // Fresh memory is expensive (every page faults on first touch), so the
  // scratch arrays are few and reused once their first job is done.
  std::vector<int> start(static_cast<std::size_t>(nv) + 1, 0);
  for (int c = 0; c < nh; ++c)
    ++start[tri[c] + 1];
  for (int v = 0; v < nv; ++v)
    start[v + 1] += start[v];
  std::vector<int> out_he(static_cast<std::size_t>(nh)), out_to(static_cast<std::size_t>(nh));
  std::vector<int> per_vertex(start.begin(), start.end() - 1); // first the fill cursor of each row
  for (int c = 0; c < nh; ++c) {
    const int k = per_vertex[tri[c]]++;
    out_he[k] = c;
    out_to[k] = tri[next(c)];
  }
  for (int v = 0; v < nv; ++v) {
    if (start[v] == start[v + 1]) return false; // unused vertex
    for (int k = start[v]; k < start[v + 1]; ++k)
      for (int l = k + 1; l < start[v + 1]; ++l)
        if (out_to[k] == out_to[l]) return false; // the same directed edge twice
  }
  // Twins; with no directed edge repeated there is at most one each.
  std::vector<int> opposite(static_cast<std::size_t>(nh), -1);
  std::vector<int>& naked_into = per_vertex; // the twinless halfedge ending at v
  std::fill(naked_into.begin(), naked_into.end(), -1);
  int edges = 0;
  for (int c = 0; c < nh; ++c) {
    if (opposite[c] >= 0) continue;
    ++edges;
    const int a = tri[c], b = tri[next(c)];
    int twin = -1;
    for (int k = start[b]; k < start[b + 1]; ++k)
      if (out_to[k] == a) {
        twin = out_he[k];
        break;
      }
    if (twin >= 0) {
      opposite[c] = twin;
      opposite[twin] = c;
    } else {
      if (naked_into[b] >= 0) return false; // two rims through one vertex
      naked_into[b] = c;
    }
  }
  // Each vertex must be one fan: turning from face to face across the edges
  // leaving it meets all of its faces. A vertex on the rim is turned from
  // its rim, so the turn ends at the other rim edge rather than midway.
  // Turning is one-to-one, so it cannot run in a circle that misses its
  // start; the bound is for safety only.
  bool rimless = true;
  for (int v = 0; v < nv; ++v) {
    const int faces = start[v + 1] - start[v];
    const int first = naked_into[v] >= 0 ? naked_into[v] : prev(out_he[start[v]]);
    rimless = rimless && naked_into[v] < 0;
    int h = first, met = 0;
    do {
      ++met;
      h = opposite[next(h)];
    } while (h >= 0 && h != first && met <= faces);
    if (met != faces) return false;
  }
  // All elements are made at once and then linked by index; adding them one
  // by one costs a property-array push per element and attribute. Edge e is
  // halfedges 2e and 2e + 1, and a twinless halfedge, always the first of
  // its edge, has the rim's halfedge as its twin.
  std::vector<int>& he = out_to; // the rows' targets are no longer needed
  {
    int e = 0;
    for (int c = 0; c < nh; ++c) {
      if (opposite[c] >= 0 && opposite[c] < c) continue;
      he[c] = 2 * e;
      if (opposite[c] >= 0) he[opposite[c]] = 2 * e + 1;
      ++e;
    }
  }
  auto halfedge = [&he](int c) {
    return HalfedgeIndex(static_cast<SurfaceMesh::size_type>(he[c]));
  };
  auto rim = [&he](int c) { return HalfedgeIndex(static_cast<SurfaceMesh::size_type>(he[c] + 1)); };
  sm.clear();
  sm.resize(nv, edges, nt);
  const double* xyz = in.xyz.data();
  for (int v = 0; v < nv; ++v)
    sm.point(VertexIndex(v)) = Point3(xyz[3 * v], xyz[3 * v + 1], xyz[3 * v + 2]);
  for (int t = 0; t < nt; ++t) {
    const FaceIndex f(static_cast<SurfaceMesh::size_type>(t));
    sm.set_halfedge(f, halfedge(3 * t));
    for (int c = 3 * t; c < 3 * t + 3; ++c) {
      sm.set_target(halfedge(c), VertexIndex(tri[next(c)]));
      sm.set_face(halfedge(c), f);
      sm.set_next(halfedge(c), halfedge(next(c)));
    }
  }
  for (int v = 0; v < nv; ++v)
    sm.set_halfedge(VertexIndex(v), halfedge(prev(out_he[start[v]])));
  // Rims: the rim halfedge into vertex a continues with the rim halfedge out
  // of a, the twin of the twinless halfedge into a. Rim vertices point at
  // their incoming rim halfedge, as the mesh expects.
  if (!rimless)
    for (int c = 0; c < nh; ++c) {
      if (opposite[c] >= 0) continue;
      const int a = tri[c];
      sm.set_face(rim(c), SurfaceMesh::null_face());
      sm.set_target(rim(c), VertexIndex(a));
      sm.set_next(rim(c), rim(naked_into[a]));
      sm.set_halfedge(VertexIndex(a), rim(c));
    }
  closed = rimless;
  return true;
}

// Same corners twice: a repeat with the same turn is a copy (one is kept);
// with opposite turns it is a wall between two cells and both go, which
// merges the cells into one volume.
void DropDuplicateTriangles(TriMesh& mesh) {
  struct Entry {
    std::array<int, 3> sorted;
    bool even; // the corners' cyclic order agrees with the sorted order
    int index;
  };
  const int nt = mesh.TriangleCount();
  std::vector<Entry> entries(nt);
  for (int t = 0; t < nt; ++t) {
    std::array<int, 3> c{mesh.tri[3 * t], mesh.tri[3 * t + 1], mesh.tri[3 * t + 2]};
    // Rotate so the smallest corner is first; then the turn is read from the
    // other two.
    const int m = static_cast<int>(std::min_element(c.begin(), c.end()) - c.begin());
    std::rotate(c.begin(), c.begin() + m, c.end());
    const bool even = c[1] < c[2];
    if (!even) std::swap(c[1], c[2]);
    entries[t] = Entry{c, even, t};
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.sorted != b.sorted ? a.sorted < b.sorted : a.index < b.index;
  });
  std::vector<char> drop(nt, 0);
  for (std::size_t i = 0; i < entries.size();) {
    std::size_t j = i;
    while (j < entries.size() && entries[j].sorted == entries[i].sorted)
      ++j;
    if (j - i > 1) {
      int even = 0, odd = 0;
      for (std::size_t k = i; k < j; ++k)
        (entries[k].even ? even : odd)++;
      // Opposite pairs cancel; of the remaining same-turn copies one is kept.
      const int keep_even = even > odd ? 1 : 0, keep_odd = odd > even ? 1 : 0;
      int kept_even = 0, kept_odd = 0;
      for (std::size_t k = i; k < j; ++k) {
        int& kept = entries[k].even ? kept_even : kept_odd;
        const int keep = entries[k].even ? keep_even : keep_odd;
        if (kept < keep)
          ++kept;
        else
          drop[entries[k].index] = 1;
      }
    }
    i = j;
  }
  std::size_t out = 0;
  for (int t = 0; t < nt; ++t) {
    if (drop[t]) continue;
    for (int k = 0; k < 3; ++k)
      mesh.tri[out + k] = mesh.tri[3 * t + k];
    out += 3;
  }
  mesh.tri.resize(out);
}

// Orients the soup consistently and builds the surface. Where the soup is
// not manifold (a vertex pinching two sheets together, an edge of more than
// two faces) orienting it gives each sheet its own copy of the points; false
// when that is not allowed, or the surface cannot be built.
bool BuildFromSoup(const TriMesh& in, SurfaceMesh& sm, bool allow_split_vertices) {
  std::vector<Point3> points;
  points.reserve(in.VertexCount());
  for (int v = 0; v < in.VertexCount(); ++v)
    points.emplace_back(in.xyz[3 * v], in.xyz[3 * v + 1], in.xyz[3 * v + 2]);
  std::vector<std::array<std::size_t, 3>> polygons(in.TriangleCount());
  for (int t = 0; t < in.TriangleCount(); ++t)
    for (int k = 0; k < 3; ++k)
      polygons[t][k] = static_cast<std::size_t>(in.tri[3 * t + k]);
  const bool manifold = PMP::orient_polygon_soup(points, polygons);
  if (!manifold && !allow_split_vertices) return false;
  if (!PMP::is_polygon_soup_a_polygon_mesh(polygons)) return false;
  sm.clear();
  PMP::polygon_soup_to_polygon_mesh(points, polygons, sm);
  return true;
}

// Signed volume and box of every connected shell; `component` gets each
// face's shell number.
std::vector<ShellMeasure>
MeasureShells(const SurfaceMesh& sm, SurfaceMesh::Property_map<FaceIndex, std::size_t> component) {
  const std::size_t n = PMP::connected_components(sm, component);
  std::vector<ShellMeasure> shells(n);
  for (ShellMeasure& s : shells)
    for (int k = 0; k < 3; ++k) {
      s.lo[k] = HUGE_VAL;
      s.hi[k] = -HUGE_VAL;
    }
  // Volumes are summed about the mesh's box centre so large offsets from the
  // origin do not swamp the sum.
  CGAL::Bbox_3 all;
  for (VertexIndex v : sm.vertices())
    all += sm.point(v).bbox();
  const double centre[3] = {(all.xmin() + all.xmax()) / 2, (all.ymin() + all.ymax()) / 2,
                            (all.zmin() + all.zmax()) / 2};
  for (FaceIndex f : sm.faces()) {
    const HalfedgeIndex h = sm.halfedge(f);
    const Point3* q[3] = {&sm.point(sm.source(h)), &sm.point(sm.target(h)),
                          &sm.point(sm.target(sm.next(h)))};
    ShellMeasure& s = shells[component[f]];
    double p[3][3];
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) {
        const double x = (*q[i])[k];
        s.lo[k] = std::min(s.lo[k], x);
        s.hi[k] = std::max(s.hi[k], x);
        p[i][k] = x - centre[k];
      }
    s.volume += (p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
                 p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                 p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0])) /
                6.0;
  }
  return shells;
}

// Returns the number of shells.
std::size_t OrientOutward(SurfaceMesh& sm) {
  auto component = sm.add_property_map<FaceIndex, std::size_t>("f:shell", 0).first;
  const std::vector<ShellMeasure> shells = MeasureShells(sm, component);
  const std::vector<int> owner = CavityOwners(shells);
  std::vector<FaceIndex> flip;
  for (FaceIndex f : sm.faces()) {
    const std::size_t c = component[f];
    if (shells[c].volume < 0.0 && owner[c] < 0) flip.push_back(f);
  }
  if (!flip.empty()) PMP::reverse_face_orientations(flip, sm);
  sm.remove_property_map(component);
  return shells.size();
}

// True when no triangle repeats a corner and every vertex is used: the
// usual input, which then needs no cleaned copy.
bool IsTidy(const TriMesh& in) {
  std::vector<char> used(static_cast<std::size_t>(in.VertexCount()), 0);
  const int* t = in.tri.data();
  for (std::size_t i = 0; i + 2 < in.tri.size(); i += 3) {
    if (t[i] == t[i + 1] || t[i + 1] == t[i + 2] || t[i] == t[i + 2]) return false;
    used[t[i]] = used[t[i + 1]] = used[t[i + 2]] = 1;
  }
  return std::find(used.begin(), used.end(), 0) == used.end();
}

// Straight from the arrays, without walking the halfedge structure.
bool HasDegenerateTriangles(const TriMesh& in) {
  const double* p = in.xyz.data();
  const int* t = in.tri.data();
  auto point = [p](int v) { return Point3(p[3 * v], p[3 * v + 1], p[3 * v + 2]); };
  for (std::size_t i = 0; i + 2 < in.tri.size(); i += 3)
    if (CGAL::collinear(point(t[i]), point(t[i + 1]), point(t[i + 2]))) return true;
  return false;
}

// Returns the number of shells.
int TurnInvertedShells(const TriMesh& in, SurfaceMesh& sm) {
  std::vector<char> flip;
  int shells = 1;
  if (!FindInvertedShells(in, flip, &shells)) return shells;
  std::vector<FaceIndex> faces;
  for (std::size_t t = 0; t < flip.size(); ++t)
    if (flip[t]) faces.emplace_back(static_cast<SurfaceMesh::size_type>(t));
  PMP::reverse_face_orientations(faces, sm);
  return shells;
}

// The whole preparation; `solid` asks for a closed surface with its shells
// oriented outward; `shells` then receives their number.
bool Prepare(const TriMesh& in, double tolerance, bool solid, SurfaceMesh& out,
             std::size_t& shells) {
  shells = 1;
  if (!IsWellFormed(in) || in.Empty()) return false;
  TriMesh work;
  const TriMesh* built_from = &in;
  if (!IsTidy(in)) {
    work = in;
    DropCollapsedTriangles(work);
    RemoveUnusedVertices(work);
    if (work.Empty()) return false;
    built_from = &work;
  }
  bool closed = false;
  if (!BuildDirect(*built_from, out, closed) || (solid && !closed)) {
    if (built_from != &work) work = in;
    WeldVertices(work, WeldDistance(work, tolerance));
    DropDuplicateTriangles(work);
    RemoveUnusedVertices(work);
    if (work.Empty()) return false;
    built_from = &work;
    // Render meshes welded at their seams are usually oriented consistently
    // already; only a soup that is not needs CGAL to orient it.
    if (!BuildDirect(work, out, closed) || (solid && !closed)) {
      // A solid pinched at a vertex or along an edge still bounds its
      // volumes once its sheets are taken apart there; refusing it would
      // leave the caller with nothing better than a guess.
      if (!BuildFromSoup(work, out, true)) return false;
      if (solid) {
        // Taking an edge of three faces apart can leave the two sheets of
        // a sound part side by side, open; they belong together again.
        if (!CGAL::is_closed(out)) PMP::stitch_borders(out);
        if (!CGAL::is_closed(out)) return false;
        shells = OrientOutward(out);
      }
      return RemoveDegenerateFaces(out) && out.number_of_faces() > 0 &&
             (!solid || CGAL::is_closed(out));
    }
  }
  // Built directly: face t is triangle t of the arrays, so they can decide
  // orientation and degeneracy without a pass over the halfedge structure.
  if (solid) shells = static_cast<std::size_t>(TurnInvertedShells(*built_from, out));
  if (!HasDegenerateTriangles(*built_from)) return true;
  return RemoveDegenerateFaces(out) && out.number_of_faces() > 0 &&
         (!solid || CGAL::is_closed(out));
}

} // namespace

bool PrepareSolid(const TriMesh& in, double tolerance, SurfaceMesh& out, bool* several_shells) {
  std::size_t shells = 1;
  const bool made = Prepare(in, tolerance, true, out, shells);
  if (several_shells != nullptr) *several_shells = made && shells > 1;
  return made;
}

bool PrepareSurface(const TriMesh& in, double tolerance, SurfaceMesh& out) {
  std::size_t shells = 1;
  return Prepare(in, tolerance, false, out, shells);
}

bool BuildAsGiven(const TriMesh& in, SurfaceMesh& out) {
  bool closed = false;
  return IsWellFormed(in) && !in.Empty() && IsTidy(in) && BuildDirect(in, out, closed) &&
         !HasDegenerateTriangles(in);
}

bool FinishResult(SurfaceMesh& mesh, bool must_be_closed) {
  for (VertexIndex v : mesh.vertices()) {
    const Point3& p = mesh.point(v);
    mesh.point(v) =
        Point3(ToSinglePrecision(p.x()), ToSinglePrecision(p.y()), ToSinglePrecision(p.z()));
  }
  if (RemoveDegenerateFaces(mesh)) return !must_be_closed || CGAL::is_closed(mesh);
  // Rounding can fold a thin sliver of the result into clusters of one
  // point, which edge collapses cannot undo one edge at a time. Made one
  // point each (no point moves), the clusters' triangles drop out or become
  // walls, and what is left is built again, its sheets taken apart where
  // they now touch at a point. A sliver can fold away entirely: the result
  // is then empty.
  TriMesh soup;
  CopyToTriMesh(mesh, soup);
  WeldVertices(soup, 0.0);
  DropCollapsedTriangles(soup);
  DropDuplicateTriangles(soup);
  RemoveUnusedVertices(soup);
  mesh.clear();
  if (soup.Empty()) return true;
  return BuildFromSoup(soup, mesh, true) && RemoveDegenerateFaces(mesh) &&
         (!must_be_closed || CGAL::is_closed(mesh));
}

bool FinishClosedAsGiven(TriMesh& mesh) {
  SurfaceMesh sm;
  bool closed = false;
  if (!IsTidy(mesh) || !BuildDirect(mesh, sm, closed) || !closed) return false;
  if (!FinishResult(sm, true) || sm.number_of_faces() == 0) return false;
  CopyToTriMesh(sm, mesh);
  return true;
}

void CopyToTriMesh(const SurfaceMesh& mesh, TriMesh& out) {
  std::vector<FaceIndex> faces(mesh.faces().begin(), mesh.faces().end());
  CopyFaces(mesh, faces, out);
}

void SplitIntoVolumes(const SurfaceMesh& mesh, std::vector<TriMesh>& volumes) {
  SurfaceMesh& sm = const_cast<SurfaceMesh&>(mesh); // only a scratch property is added
  auto component = sm.add_property_map<FaceIndex, std::size_t>("f:volume", 0).first;
  const std::vector<ShellMeasure> shells = MeasureShells(sm, component);
  const std::vector<int> owner = CavityOwners(shells);
  std::vector<std::vector<FaceIndex>> groups(shells.size());
  for (FaceIndex f : sm.faces()) {
    const std::size_t c = component[f];
    groups[owner[c] >= 0 ? static_cast<std::size_t>(owner[c]) : c].push_back(f);
  }
  sm.remove_property_map(component);
  for (const auto& g : groups) {
    if (g.empty()) continue;
    volumes.emplace_back();
    CopyFaces(mesh, g, volumes.back());
  }
}

bool HealToSolid(const TriMesh& surface, double snap, double stitch, bool stitch_seams,
                 bool fill_holes, TriMesh& solid) {
  if (!IsWellFormed(surface) || surface.Empty()) return false;
  TriMesh work = surface;
  DropCollapsedTriangles(work);
  RemoveUnusedVertices(work);
  WeldVertices(work, WeldDistance(work, snap));
  if (stitch_seams) WeldBoundaryVertices(work, WeldDistance(work, stitch));
  DropDuplicateTriangles(work);
  RemoveUnusedVertices(work);
  if (work.Empty()) return false;
  SurfaceMesh sm;
  if (!BuildFromSoup(work, sm, true)) return false;
  // Orienting a non-manifold soup splits vertices; stitching joins the
  // borders that this left coincident again where the result is manifold.
  if (stitch_seams) PMP::stitch_borders(sm);
  if (fill_holes && !CGAL::is_closed(sm)) {
    std::vector<HalfedgeIndex> borders;
    PMP::extract_boundary_cycles(sm, std::back_inserter(borders));
    for (HalfedgeIndex h : borders) {
      int edges = 0;
      bool simple = true;
      std::unordered_set<std::uint32_t> seen;
      for (HalfedgeIndex g : CGAL::halfedges_around_face(h, sm)) {
        if (++edges > kMaxHoleEdges) break;
        if (!seen.insert(static_cast<std::uint32_t>(sm.target(g))).second) simple = false;
      }
      if (edges > kMaxHoleEdges || !simple || edges < 3) continue;
      std::vector<FaceIndex> patch;
      PMP::triangulate_hole(sm, h, std::back_inserter(patch));
    }
  }
  if (!CGAL::is_closed(sm) || !FinishResult(sm, true) || sm.number_of_faces() == 0) return false;
  OrientOutward(sm);
  CopyToTriMesh(sm, solid);
  return true;
}

} // namespace meshtools
