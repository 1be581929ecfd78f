#pragma once
// ON_Xform: a 4x4 transformation acting on column vectors, p' = M * p.
//
// A * B applies B first and then A. Points are transformed with w = 1 and
// divided by the resulting w; vectors use the upper 3x3 part only.

#include "opennurbs_point.h"

class ON_Plane;

class ON_CLASS ON_Xform {
public:
  double m_xform[4][4]; // [row][column]

  // The identity.
  ON_Xform();
  // Diagonal d, zero elsewhere (ON_Xform(1.0) is the identity).
  explicit ON_Xform(double d);
  explicit ON_Xform(const double m[4][4]);

  static const ON_Xform IdentityTransformation;
  static const ON_Xform ZeroTransformation;

  double* operator[](int i) { return m_xform[i]; }
  const double* operator[](int i) const { return m_xform[i]; }

  ON_Xform operator*(const ON_Xform& rhs) const;
  ON_3dPoint operator*(const ON_3dPoint& p) const;
  ON_4dPoint operator*(const ON_4dPoint& p) const;
  ON_3dVector operator*(const ON_3dVector& v) const;
  bool operator==(const ON_Xform& rhs) const;
  bool operator!=(const ON_Xform& rhs) const { return !(*this == rhs); }

  bool IsIdentity(double zero_tolerance = 0.0) const;
  bool IsValid() const;
  // Affine when the bottom row is (0,0,0,1).
  bool IsAffine() const;
  double Determinant() const;
  // Inverts in place; false (and unchanged) when singular.
  bool Invert();
  ON_Xform Inverse() const; // zero transformation when singular
  void Transpose();

  void Identity();
  void Zero();
  void Translation(const ON_3dVector& delta);
  void Scale(double s);
  void Scale(const ON_3dPoint& fixed_point, double s);
  // Right-handed rotation by angle (radians) about axis through center;
  // a zero axis gives the identity.
  void Rotation(double angle_radians, const ON_3dVector& axis, const ON_3dPoint& center);
  // Maps plane0's frame onto plane1's frame.
  void Rotation(const ON_Plane& plane0, const ON_Plane& plane1);

  // Reflection in the plane through point_on_mirror_plane with normal
  // normal_to_mirror_plane. The normal need not be unit length. A zero (or
  // non-finite) normal defines no plane: the result is then the identity, so
  // a caller that mirrors with it draws the model unmirrored instead of
  // collapsing or corrupting it.
  void Mirror(const ON_3dPoint& point_on_mirror_plane, const ON_3dVector& normal_to_mirror_plane);
  static ON_Xform MirrorTransformation(const ON_3dPoint& point, const ON_3dVector& normal);
  static ON_Xform TranslationTransformation(const ON_3dVector& delta);
  static ON_Xform ScaleTransformation(const ON_3dPoint& fixed_point, double s);
  static ON_Xform RotationTransformation(double angle_radians, const ON_3dVector& axis,
                                         const ON_3dPoint& center);
};
