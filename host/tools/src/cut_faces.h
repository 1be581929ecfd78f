// The local road's own cutter (cgal_cut_faces.cpp): the faces of two open
// surfaces that cross each other split along the curve where they meet,
// without CGAL's corefinement. Internal to meshtools.
#pragma once

#include "cgal_mesh.h"

namespace meshtools {

enum class OwnCut {
  kCut,    // both meshes were replaced by their cut selves
  kApart,  // the surfaces do not meet anywhere
  kUnsure, // anything but clean crossings: the meshes are as they were
};

// Splits the faces of `a` and `b` that cross the other surface along the
// curve where they cross, when every crossing is clean: each edge that
// meets the other surface passes through the inside of one of its faces
// (no vertex on a face's plane, no edge through an edge), no two faces of
// one mesh that the curve runs through cross each other, and every split
// face could be triangulated for sure. Then each mesh keeps its vertices
// with their indices and gains the curve's points after them, in the same
// order in both meshes and with the same coordinates; face i is a part of
// the former face i; and the edges along the curve are marked in the edge
// property "e:cut". Otherwise nothing changes and the corefinement must
// decide.
OwnCut CutAlongCurve(SurfaceMesh& a, SurfaceMesh& b);

} // namespace meshtools
