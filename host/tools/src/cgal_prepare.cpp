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
//      and duplicate triangles, orient the soup, rebuild;
//   4. degenerate faces removed, and solids oriented outward shell by shell.
// Self-intersections near the cut are caught by the corefinement itself
// (cgal_booleans.cpp asks it to throw), which is far cheaper than testing the
// whole surface first.
#include <CGAL/Polygon_mesh_processing/border.h>
#include <CGAL/Polygon_mesh_processing/connected_components.h>
#include <CGAL/Polygon_mesh_processing/orient_polygon_soup.h>
#include <CGAL/Polygon_mesh_processing/orientation.h>
#include <CGAL/Polygon_mesh_processing/polygon_soup_to_polygon_mesh.h>
#include <CGAL/Polygon_mesh_processing/repair_degeneracies.h>
#include <CGAL/Polygon_mesh_processing/shape_predicates.h>
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
// edge once, every vertex a single fan (its rim may be open).
bool BuildDirect(const TriMesh& in, SurfaceMesh& sm) {
  const int nv = in.VertexCount(), nt = in.TriangleCount(), nh = 3 * nt;
  const int* tri = in.tri.data();
  auto next = [](int c) { return c % 3 == 2 ? c - 2 : c + 1; };
  // Halfedge c runs from corner c to the next corner of its triangle.
  // Outgoing halfedges per vertex, in compressed rows.
  std::vector<int> start(static_cast<std::size_t>(nv) + 1, 0);
  for (int c = 0; c < nh; ++c) ++start[tri[c] + 1];
  for (int v = 0; v < nv; ++v) start[v + 1] += start[v];
  std::vector<int> outgoing(static_cast<std::size_t>(nh));
  {
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int c = 0; c < nh; ++c) outgoing[fill[tri[c]]++] = c;
  }
  std::vector<int> opposite(static_cast<std::size_t>(nh), -1);
  std::vector<int> naked_into(static_cast<std::size_t>(nv), -1);  // the twinless halfedge ending at v
  std::vector<int> incoming(static_cast<std::size_t>(nv), 0);    // incoming halfedges, rim ones included
  for (int c = 0; c < nh; ++c) {
    const int a = tri[c], b = tri[next(c)];
    int same = 0;
    for (int k = start[a]; k < start[a + 1]; ++k) same += tri[next(outgoing[k])] == b;
    if (same != 1) return false;  // the same directed edge twice
    ++incoming[b];
    if (opposite[c] >= 0) continue;
    int twin = -1, twins = 0;
    for (int k = start[b]; k < start[b + 1]; ++k)
      if (tri[next(outgoing[k])] == a) {
        twin = outgoing[k];
        ++twins;
      }
    if (twins > 1) return false;
    if (twin >= 0) {
      opposite[c] = twin;
      opposite[twin] = c;
    } else {
      if (naked_into[b] >= 0) return false;  // two rims through one vertex
      naked_into[b] = c;
    }
  }
  // All elements are made at once and then linked by index; adding them one
  // by one costs a property-array push per element and attribute.
  int edges = 0;
  std::vector<HalfedgeIndex> he(static_cast<std::size_t>(nh));
  std::vector<HalfedgeIndex> rim(static_cast<std::size_t>(nh));  // border twin of a twinless halfedge
  for (int c = 0; c < nh; ++c) {
    if (opposite[c] >= 0 && opposite[c] < c) continue;
    const HalfedgeIndex h(static_cast<SurfaceMesh::size_type>(2 * edges));
    const HalfedgeIndex t(static_cast<SurfaceMesh::size_type>(2 * edges + 1));
    ++edges;
    he[c] = h;
    if (opposite[c] >= 0) {
      he[opposite[c]] = t;
    } else {
      rim[c] = t;
      ++incoming[tri[c]];
    }
  }
  sm.clear();
  sm.resize(nv, edges, nt);
  for (int v = 0; v < nv; ++v) sm.point(VertexIndex(v)) = Point3(in.xyz[3 * v], in.xyz[3 * v + 1], in.xyz[3 * v + 2]);
  for (int c = 0; c < nh; ++c)
    if (opposite[c] < 0) {
      sm.set_face(rim[c], SurfaceMesh::null_face());
      sm.set_target(rim[c], VertexIndex(tri[c]));
    }
  for (int t = 0; t < nt; ++t) {
    const FaceIndex f(static_cast<SurfaceMesh::size_type>(t));
    sm.set_halfedge(f, he[3 * t]);
    for (int k = 0; k < 3; ++k) {
      const int c = 3 * t + k;
      sm.set_target(he[c], VertexIndex(tri[next(c)]));
      sm.set_face(he[c], f);
      sm.set_next(he[c], he[next(c)]);
      sm.set_halfedge(VertexIndex(tri[next(c)]), he[c]);
    }
  }
  // Rims: the border halfedge into vertex a continues with the border
  // halfedge out of a, the twin of the twinless halfedge into a. Border
  // vertices point at their incoming border halfedge, as the mesh expects.
  for (int c = 0; c < nh; ++c) {
    if (opposite[c] >= 0) continue;
    const int a = tri[c];
    if (naked_into[a] < 0) return false;
    sm.set_next(rim[c], rim[naked_into[a]]);
    sm.set_halfedge(VertexIndex(a), rim[c]);
  }
  // Each vertex must be one fan: walking around it meets every halfedge
  // that comes in.
  for (VertexIndex v : sm.vertices()) {
    const HalfedgeIndex first = sm.halfedge(v);
    HalfedgeIndex h = first;
    int count = 0;
    do {
      h = sm.opposite(sm.next(h));
      ++count;
    } while (h != first && count <= incoming[static_cast<std::size_t>(v)]);
    if (count != incoming[static_cast<std::size_t>(v)]) return false;
  }
  return true;
}

// Same corners twice: a repeat with the same turn is a copy (one is kept);
// with opposite turns it is a wall between two cells and both go, which
// merges the cells into one volume.
void DropDuplicateTriangles(TriMesh& mesh) {
  struct Entry {
    std::array<int, 3> sorted;
    bool even;  // the corners' cyclic order agrees with the sorted order
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
    while (j < entries.size() && entries[j].sorted == entries[i].sorted) ++j;
    if (j - i > 1) {
      int even = 0, odd = 0;
      for (std::size_t k = i; k < j; ++k) (entries[k].even ? even : odd)++;
      // Opposite pairs cancel; of the remaining same-turn copies one is kept.
      const int keep_even = even > odd ? 1 : 0, keep_odd = odd > even ? 1 : 0;
      int kept_even = 0, kept_odd = 0;
      for (std::size_t k = i; k < j; ++k) {
        int& kept = entries[k].even ? kept_even : kept_odd;
        const int keep = entries[k].even ? keep_even : keep_odd;
        if (kept < keep) ++kept;
        else drop[entries[k].index] = 1;
      }
    }
    i = j;
  }
  std::size_t out = 0;
  for (int t = 0; t < nt; ++t) {
    if (drop[t]) continue;
    for (int k = 0; k < 3; ++k) mesh.tri[out + k] = mesh.tri[3 * t + k];
    out += 3;
  }
  mesh.tri.resize(out);
}

// Orients the soup consistently and builds the surface. False when the soup
// is non-manifold (orienting it had to split vertices) or cannot be built.
bool BuildFromSoup(const TriMesh& in, SurfaceMesh& sm, bool allow_split_vertices) {
  std::vector<Point3> points;
  points.reserve(in.VertexCount());
  for (int v = 0; v < in.VertexCount(); ++v)
    points.emplace_back(in.xyz[3 * v], in.xyz[3 * v + 1], in.xyz[3 * v + 2]);
  std::vector<std::array<std::size_t, 3>> polygons(in.TriangleCount());
  for (int t = 0; t < in.TriangleCount(); ++t)
    for (int k = 0; k < 3; ++k) polygons[t][k] = static_cast<std::size_t>(in.tri[3 * t + k]);
  const bool manifold = PMP::orient_polygon_soup(points, polygons);
  if (!manifold && !allow_split_vertices) return false;
  if (!PMP::is_polygon_soup_a_polygon_mesh(polygons)) return false;
  sm.clear();
  PMP::polygon_soup_to_polygon_mesh(points, polygons, sm);
  return true;
}

bool HasDegenerateFaces(const SurfaceMesh& sm) {
  for (FaceIndex f : sm.faces())
    if (PMP::is_degenerate_triangle_face(f, sm)) return true;
  return false;
}

bool RemoveDegenerateFaces(SurfaceMesh& sm) {
  if (!HasDegenerateFaces(sm)) return true;
  const bool all = PMP::remove_degenerate_faces(sm);
  sm.collect_garbage();
  return all && CGAL::is_triangle_mesh(sm) && !HasDegenerateFaces(sm);
}

// Signed volume and box of every connected shell; `component` gets each
// face's shell number.
std::vector<ShellMeasure> MeasureShells(const SurfaceMesh& sm,
                                        SurfaceMesh::Property_map<FaceIndex, std::size_t> component) {
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
  for (VertexIndex v : sm.vertices()) all += sm.point(v).bbox();
  const double centre[3] = {(all.xmin() + all.xmax()) / 2, (all.ymin() + all.ymax()) / 2,
                            (all.zmin() + all.zmax()) / 2};
  for (FaceIndex f : sm.faces()) {
    const HalfedgeIndex h = sm.halfedge(f);
    const Point3* q[3] = {&sm.point(sm.source(h)), &sm.point(sm.target(h)), &sm.point(sm.target(sm.next(h)))};
    ShellMeasure& s = shells[component[f]];
    double p[3][3];
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) {
        const double x = (*q[i])[k];
        s.lo[k] = std::min(s.lo[k], x);
        s.hi[k] = std::max(s.hi[k], x);
        p[i][k] = x - centre[k];
      }
    s.volume += (p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) - p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                 p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0])) / 6.0;
  }
  return shells;
}

void OrientOutward(SurfaceMesh& sm) {
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
}

// Steps 1-3 of the preparation; `closed` asks for a closed surface, and
// then also orients its shells outward.
bool BuildSurface(const TriMesh& in, double tolerance, bool closed, SurfaceMesh& out) {
  if (!IsWellFormed(in) || in.Empty()) return false;
  TriMesh work = in;
  DropCollapsedTriangles(work);
  RemoveUnusedVertices(work);
  if (work.Empty()) return false;
  if (BuildDirect(work, out) && (!closed || CGAL::is_closed(out))) {
    // Faces were made in triangle order, so the plain arrays can decide the
    // orientation without a pass over the halfedge structure.
    std::vector<char> flip;
    if (closed && FindInvertedShells(work, flip)) {
      std::vector<FaceIndex> faces;
      for (std::size_t t = 0; t < flip.size(); ++t)
        if (flip[t]) faces.emplace_back(static_cast<SurfaceMesh::size_type>(t));
      PMP::reverse_face_orientations(faces, out);
    }
    return true;
  }
  WeldVertices(work, WeldDistance(work, tolerance));
  DropDuplicateTriangles(work);
  RemoveUnusedVertices(work);
  if (work.Empty()) return false;
  if (!BuildFromSoup(work, out, !closed)) return false;
  if (!closed) return true;
  if (!CGAL::is_closed(out)) return false;
  OrientOutward(out);
  return true;
}

}  // namespace

bool PrepareSolid(const TriMesh& in, double tolerance, SurfaceMesh& out) {
  if (!BuildSurface(in, tolerance, true, out)) return false;
  return RemoveDegenerateFaces(out) && out.number_of_faces() > 0 && CGAL::is_closed(out);
}

bool PrepareSurface(const TriMesh& in, double tolerance, SurfaceMesh& out) {
  if (!BuildSurface(in, tolerance, false, out)) return false;
  return RemoveDegenerateFaces(out) && out.number_of_faces() > 0;
}

bool FinishResult(SurfaceMesh& mesh, bool must_be_closed) {
  for (VertexIndex v : mesh.vertices()) {
    const Point3& p = mesh.point(v);
    mesh.point(v) = Point3(static_cast<float>(p.x()), static_cast<float>(p.y()), static_cast<float>(p.z()));
  }
  if (!RemoveDegenerateFaces(mesh)) return false;
  return !must_be_closed || CGAL::is_closed(mesh);
}

void CopyToTriMesh(const SurfaceMesh& mesh, TriMesh& out) {
  std::vector<FaceIndex> faces(mesh.faces().begin(), mesh.faces().end());
  CopyFaces(mesh, faces, out);
}

void CopyFaces(const SurfaceMesh& mesh, const std::vector<FaceIndex>& faces, TriMesh& out) {
  out.Clear();
  std::vector<int> index(mesh.num_vertices(), -1);  // num_vertices counts garbage too
  out.tri.reserve(faces.size() * 3);
  out.xyz.reserve(faces.size() * 3 / 2 + 9);
  for (FaceIndex f : faces) {
    for (HalfedgeIndex h : CGAL::halfedges_around_face(mesh.halfedge(f), mesh)) {
      const VertexIndex v = mesh.target(h);
      int& i = index[static_cast<std::size_t>(v)];
      if (i < 0) {
        const Point3& p = mesh.point(v);
        i = out.VertexCount();
        out.AddVertex(p.x(), p.y(), p.z());
      }
      out.tri.push_back(i);
    }
  }
}

void SplitIntoVolumes(const SurfaceMesh& mesh, std::vector<TriMesh>& volumes) {
  SurfaceMesh& sm = const_cast<SurfaceMesh&>(mesh);  // only a scratch property is added
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

bool HealToSolid(const TriMesh& surface, double snap, double stitch, bool stitch_seams, bool fill_holes,
                 TriMesh& solid) {
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

}  // namespace meshtools
