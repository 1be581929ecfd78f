#pragma once
// Box ids that do not depend on where the boxes lie in memory.
//
// CGAL's box intersection sorts boxes by their lower corners and breaks
// ties by id, and CGAL's own mesh code (corefinement, self-intersection
// tests, repair) takes a box's address for its id. Between the boxes of
// two meshes, a tie then goes to whichever array the allocator happened
// to place lower, so the intersecting face pairs arrive in an order that
// depends on the process's history. The corefinement triangulates the cut
// faces in that order, and where a choice is free (four points on a
// circle, as on a box's faces) it chooses otherwise. The solid is the
// same, but the next boolean on it crosses other edges and rounds other
// points: a union of nine cutters came out different by 1e-8 in area, and
// once in the number of its volumes, between two calls on the same meshes.
//
// Here those boxes are numbered as they are made, like CGAL's explicit ids
// (one atomic counter): boxes made in the same order sort the same way in
// every call, and a copy of a box keeps its id.
//
// Include this before any other CGAL header, in every file of the tools
// that uses CGAL, so every use sees the same class.

#include <CGAL/Bbox_3.h>
#include <CGAL/Box_intersection_d/Box_d.h>

namespace CGAL::Box_intersection_d {

template <>
class Box_d<double, 3, ID_FROM_BOX_ADDRESS> : public Box_d<double, 3, ID_NONE>,
                                              public Unique_numbers<int> {
public:
  using Base = Box_d<double, 3, ID_NONE>;
  using NT = double;
  using ID = Unique_numbers<int>::ID;

  Box_d() {}
  explicit Box_d(bool complete) : Base(complete) {}
  Box_d(NT l[3], NT h[3]) : Base(l, h) {}
  Box_d(const Bbox_3& b) : Base(b) {}
};

} // namespace CGAL::Box_intersection_d
