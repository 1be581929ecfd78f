#pragma once
// Planes, plane equations, lines and their intersection.

#include <utility>

#include "opennurbs_bounding_box.h"
#include "opennurbs_point.h"

class ON_Xform;

// The plane a*x + b*y + c*z + d = 0. (a,b,c) need not be unit length; the
// positive side is where the value is > 0.
class ON_CLASS ON_PlaneEquation {
public:
  double x = 0.0, y = 0.0, z = 0.0, d = 0.0; // a, b, c, d

  ON_PlaneEquation() = default;
  ON_PlaneEquation(double a, double b, double c, double dd) : x(a), y(b), z(c), d(dd) {}

  // Plane through p with normal n (not required unit); false for zero n.
  bool Create(const ON_3dPoint& p, const ON_3dVector& n);
  bool IsValid() const; // finite and (a,b,c) not zero
  ON_3dVector Normal() const { return {x, y, z}; }
  // a*x + b*y + c*z + d; a signed distance when (a,b,c) is unit length.
  double ValueAt(const ON_3dPoint& p) const { return x * p.x + y * p.y + z * p.z + d; }
  // Signed distance, whatever the length of (a,b,c).
  double DistanceTo(const ON_3dPoint& p) const;
  // Scales so (a,b,c) is unit length; false for zero (a,b,c).
  bool Unitize();
  // Maps the plane along with the points: p on the plane  <=>  xform*p on
  // the result. Uses the inverse transpose, so any invertible xform works
  // (including perspective ones). False (unchanged) for a singular xform.
  bool Transform(const ON_Xform& xform);
  bool operator==(const ON_PlaneEquation&) const = default;
};

class ON_CLASS ON_Plane {
public:
  ON_3dPoint origin{0.0, 0.0, 0.0};
  ON_3dVector xaxis{1.0, 0.0, 0.0};
  ON_3dVector yaxis{0.0, 1.0, 0.0};
  ON_3dVector zaxis{0.0, 0.0, 1.0};
  ON_PlaneEquation plane_equation{0.0, 0.0, 1.0, 0.0};

  // The world xy plane.
  ON_Plane() = default;
  // Plane through origin with the given normal (frame chosen).
  ON_Plane(const ON_3dPoint& origin, const ON_3dVector& normal);
  // Plane through three points: origin p0, x axis towards p1, normal
  // (p1-p0) x (p2-p0) unitized. Collinear or coincident points span no
  // plane: the result is invalid (IsValid() false, zero zaxis and
  // equation) and remembers the line or point the corners span, see
  // DistanceTo.
  ON_Plane(const ON_3dPoint& p0, const ON_3dPoint& p1, const ON_3dPoint& p2);

  static const ON_Plane World_xy;

  bool CreateFromNormal(const ON_3dPoint& origin, const ON_3dVector& normal);
  bool CreateFromPoints(const ON_3dPoint& p0, const ON_3dPoint& p1, const ON_3dPoint& p2);
  bool CreateFromFrame(const ON_3dPoint& origin, const ON_3dVector& xdir, const ON_3dVector& ydir);
  bool CreateFromEquation(const ON_PlaneEquation& eq);

  bool IsValid() const;
  const ON_3dPoint& Origin() const { return origin; }
  const ON_3dVector& Normal() const { return zaxis; }
  ON_3dPoint PointAt(double s, double t) const { return origin + xaxis * s + yaxis * t; }
  // Signed distance of p from the plane (positive on the normal's side).
  // For an invalid plane made from collinear corners it is the (unsigned)
  // distance from the line they span, from coincident corners the
  // distance from that point: a degenerate face is then only "near" the
  // points that really lie on it.
  double DistanceTo(const ON_3dPoint& p) const;
  ON_3dPoint ClosestPointTo(const ON_3dPoint& p) const;
  bool ClosestPointTo(const ON_3dPoint& p, double* s, double* t) const;
  bool Transform(const ON_Xform& xform);
  void Flip();
  // Recomputes plane_equation from origin and zaxis.
  bool UpdateEquation();
};

class ON_CLASS ON_Line {
public:
  ON_3dPoint from{0.0, 0.0, 0.0}; // parameter 0
  ON_3dPoint to{0.0, 0.0, 0.0};   // parameter 1

  ON_Line() = default;
  ON_Line(const ON_3dPoint& p0, const ON_3dPoint& p1) : from(p0), to(p1) {}

  ON_3dPoint& operator[](int i) { return i <= 0 ? from : to; }
  const ON_3dPoint& operator[](int i) const { return i <= 0 ? from : to; }

  bool IsValid() const { return from.IsValid() && to.IsValid() && from != to; }
  double Length() const { return from.DistanceTo(to); }
  ON_3dVector Direction() const { return to - from; }
  ON_3dVector Tangent() const { return Direction().UnitVector(); }
  // (1-t)*from + t*to; t = 0 and t = 1 give the end points exactly.
  ON_3dPoint PointAt(double t) const;
  // Parameter of the point of the infinite line closest to p; false for a
  // zero-length line.
  bool ClosestPointTo(const ON_3dPoint& p, double* t) const;
  ON_3dPoint ClosestPointTo(const ON_3dPoint& p) const;
  double DistanceTo(const ON_3dPoint& p) const;
  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);
  void Reverse() { std::swap(from, to); }
};

// Intersection of the infinite line with the plane. Returns false when the
// line is parallel to the plane (|direction . unit normal| <= ON_ZERO_TOLERANCE
// times the line length, including a line lying in the plane), when the line
// has zero length or when the plane is invalid; *line_parameter is then
// left unchanged. line_parameter may be null.
ON_DECL bool ON_Intersect(const ON_Line& line, const ON_Plane& plane, double* line_parameter);
ON_DECL bool ON_Intersect(const ON_Line& line, const ON_PlaneEquation& plane,
                          double* line_parameter);
