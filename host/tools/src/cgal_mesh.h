// Shared by the CGAL translation units of meshtools: the kernel, the surface
// mesh type, and the steps that turn a plain triangle mesh into a surface
// CGAL may corefine and back.
//
// Kernel choice: exact predicates with inexact (double) constructions. The
// corefinement decides every predicate on new intersection points exactly,
// so one operation is robust; the points it constructs are rounded, and the
// host stores floats anyway, so exact constructions could not survive the
// return to the caller. Instead every result is rounded to float here and
// cleaned (degenerate faces removed) before it leaves, and every input is
// checked again when it comes back for the next operation, which keeps
// chained operations valid without carrying lazy exact numbers in every
// point of every mesh.
#pragma once

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Surface_mesh.h>

#include <vector>

#include "tri_mesh.h"

namespace meshtools {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point3 = Kernel::Point_3;
using SurfaceMesh = CGAL::Surface_mesh<Point3>;
using VertexIndex = SurfaceMesh::Vertex_index;
using FaceIndex = SurfaceMesh::Face_index;
using EdgeIndex = SurfaceMesh::Edge_index;
using HalfedgeIndex = SurfaceMesh::Halfedge_index;

// A closed, manifold, outward-oriented surface without degenerate faces, made
// from `in` after welding within WeldDistance(in, tolerance). A pinched
// vertex, or an edge of more than two faces, is taken apart into manifold
// sheets (the points stay where they are) when that leaves the surface
// closed. False (and `out` unspecified) when no such surface can be made.
// `several_shells` (may be null) tells whether `out` has more than one
// connected shell.
bool PrepareSolid(const TriMesh& in, double tolerance, SurfaceMesh& out,
                  bool* several_shells = nullptr);

// A manifold, consistently oriented surface without degenerate faces (it may
// be open). False when none can be made.
bool PrepareSurface(const TriMesh& in, double tolerance, SurfaceMesh& out);

// The triangles exactly as given, vertex i as vertex i and face t as
// triangle t, when they already form a manifold, consistently oriented
// surface with every vertex used and no degenerate triangle. False
// otherwise; nothing is repaired.
bool BuildAsGiven(const TriMesh& in, SurfaceMesh& out);

// Rounds every point to float and removes the faces that became degenerate;
// a sliver the rounding folded flat is rebuilt from its welded triangles,
// and may leave the mesh empty. False when they cannot all be removed or a
// closed mesh opened.
bool FinishResult(SurfaceMesh& mesh, bool must_be_closed);

// FinishResult for a closed result already in plain arrays, its points
// rounded: the faces that rounding made degenerate are removed as there.
// False when the triangles do not form a closed manifold surface, or the
// removal fails or opens it.
bool FinishClosedAsGiven(TriMesh& mesh);

// Removes degenerate faces (a null edge, or three corners on one line) by
// collapsing and flipping edges, so no point moves (cgal_degenerate_faces.cpp).
// False when some cannot be removed that way; the mesh is then still valid
// but may keep degenerate faces.
bool RemoveDegenerateFaces(SurfaceMesh& sm);

// Copies the (garbage-free or not) surface into plain arrays.
void CopyToTriMesh(const SurfaceMesh& mesh, TriMesh& out);

// The box of the mesh's vertices. Inline, for the checked refinement
// library too.
inline CGAL::Bbox_3 BoxOf(const SurfaceMesh& sm) {
  CGAL::Bbox_3 box;
  for (VertexIndex v : sm.vertices())
    box += sm.point(v).bbox();
  return box;
}

// Copies the given faces of `mesh` into plain arrays, with their vertices.
// Inline, for the checked refinement library too (checked_refine.h).
inline void CopyFaces(const SurfaceMesh& mesh, const std::vector<FaceIndex>& faces, TriMesh& out) {
  out.Clear();
  std::vector<int> index(mesh.num_vertices(), -1); // num_vertices counts garbage too
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

// One closed mesh per connected volume: each outward shell with the inward
// (cavity) shells whose box lies inside its box.
void SplitIntoVolumes(const SurfaceMesh& mesh, std::vector<TriMesh>& volumes);

} // namespace meshtools
