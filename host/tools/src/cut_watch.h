// Shared by the two corefining translation units (cgal_booleans.cpp and
// cgal_local_boolean.cpp): the visitor that counts the points where two
// surfaces meet and refuses cuts through self-intersecting faces.
#pragma once

#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Polygon_mesh_processing/self_intersections.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "cgal_mesh.h"

namespace PMP = CGAL::Polygon_mesh_processing;

namespace meshtools {

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
// by the preparation. Two faces that only touch at one point where the
// preparation took a pinched vertex apart are no crossing, unless the cut
// runs through that very point. The visitor is copied into the
// corefinement, so its state lives outside it.
struct CutWatch : PMP::Corefinement::Default_visitor<SurfaceMesh> {
  struct Side {
    const SurfaceMesh* mesh = nullptr;
    std::vector<char> cut; // per face
  };
  struct State {
    Side side[2];
    std::size_t points = 0;
    int searches = 0;                // the corefinement searches edges of each mesh once
    std::vector<Point3> vertex_hits; // vertices of either mesh the other surface meets
  };
  State* state;
  explicit CutWatch(State* s) : state(s) {}

  std::vector<char>& FlagsOf(const SurfaceMesh& m) const {
    for (Side& s : state->side)
      if (s.mesh == &m) return s.cut;
    Side& s = state->side[state->side[0].mesh == nullptr ? 0 : 1];
    s.mesh = &m;
    s.cut.assign(m.num_faces(), 0); // removed faces keep their indices
    return s.cut;
  }
  static void FlagFace(std::vector<char>& flags, const SurfaceMesh& m, HalfedgeIndex h) {
    const FaceIndex f = m.face(h);
    if (f != SurfaceMesh::null_face() && static_cast<std::size_t>(f) < flags.size()) flags[f] = 1;
  }
  static void FlagAroundTarget(std::vector<char>& flags, const SurfaceMesh& m, HalfedgeIndex h) {
    for (HalfedgeIndex g : CGAL::halfedges_around_target(h, m))
      FlagFace(flags, m, g);
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
    if (at_target) state->vertex_hits.push_back(tm1.point(tm1.target(h1)));
    if (at_source) state->vertex_hits.push_back(tm1.point(tm1.source(h1)));
    if (type == PMP::Corefinement::ON_VERTEX)
      state->vertex_hits.push_back(tm2.point(tm2.target(h2)));
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
      std::vector<std::pair<FaceIndex, FaceIndex>> crossings;
      PMP::self_intersections(faces, *s.mesh, std::back_inserter(crossings));
      for (const auto& [f, g] : crossings)
        if (!TouchOnlyAtAPinch(*s.mesh, f, g))
          throw PMP::Corefinement::Self_intersection_exception();
    }
  }

  // Whether faces f and g, which share no vertex, meet only at one point
  // where each has a vertex, and the cut does not run through it. Then
  // a ray from that point into both triangles would leave one of them
  // through its far edge inside the other, so testing the far edges
  // decides, in or out of one plane alike.
  bool TouchOnlyAtAPinch(const SurfaceMesh& m, FaceIndex f, FaceIndex g) const {
    auto corners = [&m](FaceIndex face, Point3* p) {
      HalfedgeIndex h = m.halfedge(face);
      for (int k = 0; k < 3; ++k, h = m.next(h))
        p[k] = m.point(m.target(h));
    };
    Point3 p[3], q[3];
    corners(f, p);
    corners(g, q);
    int shared = 0, i = 0, j = 0;
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        if (p[a] == q[b]) {
          ++shared;
          i = a;
          j = b;
        }
    if (shared != 1) return false;
    for (const Point3& hit : state->vertex_hits)
      if (hit == p[i]) return false;
    const Kernel::Triangle_3 tf(p[0], p[1], p[2]), tg(q[0], q[1], q[2]);
    return !CGAL::do_intersect(Kernel::Segment_3(p[(i + 1) % 3], p[(i + 2) % 3]), tg) &&
           !CGAL::do_intersect(Kernel::Segment_3(q[(j + 1) % 3], q[(j + 2) % 3]), tf);
  }
};

} // namespace meshtools
