#pragma once
// Point classification against triangles and closed meshes.
//
// The triangle routines name a triangle T0, T1, T2 and a query point Q.
// Barycentric weights are taken with u the weight of T2 and v the weight
// of T1, so Q = T0 + u (T2 - T0) + v (T1 - T0). The mesh test shoots rays
// from the point P towards face centroids and counts the faces a ray
// crosses in front of P; a ray that grazes an edge or a corner cannot be
// trusted and is replaced by the ray to the next centroid.
//
// All routines are pure functions of their arguments: the clash worker
// thread calls them on its own meshes while the user-interface thread
// cuts others.

#include "opennurbs.h"

// Where a point lies relative to a triangle.
enum TriangleClass : int {
  triangle_inside = 0,  // strictly inside
  triangle_corner = 1,  // at a corner
  triangle_edge = 2,    // on an edge (also every NaN weight)
  triangle_outside = 3, // outside (also infinite weights)
};

// Classifies barycentric weights u (of T2) and v (of T1). The comparisons
// are strict and use the double epsilon, so weights within one ulp of 0 or
// of the far edge count as on the border.
int ClassifyBarycentric(double u, double v);

// Classifies Q against the triangle (T0, T1, T2) after projecting Q onto
// the triangle's plane: the distance of Q from that plane does not enter.
// A degenerate triangle gives non-finite weights, classified as above.
int ClassifyPointInTriangle(const ON_3dPoint& Q, const ON_3dPoint& T0, const ON_3dPoint& T1,
                            const ON_3dPoint& T2);

// True when P lies strictly inside the closed mesh. A point on the surface
// (within the plane tolerance of a face the test ray meets) is outside, and
// so is every point of a mesh without faces or of one where every ray was
// ambiguous. The mesh is only read.
bool IsPointInsideMesh(const ON_Mesh& mesh, const ON_3dPoint& P);
