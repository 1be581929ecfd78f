#pragma once
// ON_BoundingBox: an axis-aligned box given by its minimum and maximum
// corners. The empty box has m_min > m_max (ON_BoundingBox::EmptyBoundingBox,
// also the default); it is the neutral element of Union. Every containment
// and overlap test here treats the boundary as inside: boxes that only touch
// intersect.

#include "opennurbs_point.h"

class ON_Xform;

class ON_CLASS ON_BoundingBox {
public:
  ON_3dPoint m_min{1.0, 0.0, 0.0};
  ON_3dPoint m_max{-1.0, 0.0, 0.0};

  ON_BoundingBox() = default; // empty
  ON_BoundingBox(const ON_3dPoint& min_pt, const ON_3dPoint& max_pt)
      : m_min(min_pt), m_max(max_pt) {}

  static const ON_BoundingBox EmptyBoundingBox;

  // min <= max in every coordinate and all coordinates valid. A box of a
  // single point is valid.
  bool IsValid() const;
  bool IsEmpty() const { return !IsValid(); }
  void Destroy() { *this = ON_BoundingBox(); }

  const ON_3dPoint& Min() const { return m_min; }
  const ON_3dPoint& Max() const { return m_max; }
  ON_3dPoint Center() const { return (m_min + m_max) * 0.5; }
  ON_3dVector Diagonal() const { return m_max - m_min; }
  double Volume() const;
  // Corner i (0..7): bit 0 picks x max, bit 1 y max, bit 2 z max.
  ON_3dPoint Corner(int i) const;
  bool GetCorners(ON_3dPoint corners[8]) const;

  // Grows to contain p; an invalid point is ignored.
  void Set(const ON_3dPoint& p, bool grow);
  bool Set(int count, const ON_3dPoint* points, bool grow = false);
  bool Set(int count, const ON_3fPoint* points, bool grow = false);

  // Boundary counts as inside. strictly_in: only the interior counts.
  bool IsPointIn(const ON_3dPoint& p, bool strictly_in = false) const;
  // Distance tolerance version: p within tol of the box counts as in.
  bool IsPointInWithTolerance(const ON_3dPoint& p, double tol) const;

  // Union of this and other (the other box when this is empty). Returns
  // true when the result is valid.
  bool Union(const ON_BoundingBox& other);
  bool Union(const ON_BoundingBox& a, const ON_BoundingBox& b);
  // Replaces this by the overlap of this and other; false (and this empty)
  // when they do not overlap. Touching boxes overlap in a flat box.
  bool Intersection(const ON_BoundingBox& other);
  bool Intersection(const ON_BoundingBox& a, const ON_BoundingBox& b);
  // Pure tests, nothing changed. Touching counts as intersecting; an empty
  // box intersects nothing.
  bool Intersects(const ON_BoundingBox& other) const;
  bool IsDisjoint(const ON_BoundingBox& other) const { return !Intersects(other); }
  // other lies inside this (boundary inclusive).
  bool Includes(const ON_BoundingBox& other, bool proper_subset = false) const;

  // Replaces the box by the box of its eight transformed corners. False
  // (box unchanged) when the box is empty.
  bool Transform(const ON_Xform& xform);
  // Boxes grow by delta on every side.
  void Inflate(double delta);
  void Inflate(double dx, double dy, double dz);
  double MinimumDistanceTo(const ON_3dPoint& p) const;
  ON_3dPoint ClosestPoint(const ON_3dPoint& p) const;
};

ON_DECL ON_BoundingBox ON_BoundingBoxUnion(const ON_BoundingBox& a, const ON_BoundingBox& b);
