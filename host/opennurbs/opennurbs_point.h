#pragma once
// Points and vectors.
//
// Double-precision points and vectors are plain 24-byte aggregates so that
// flat arrays of them can be copied with memcpy. Single-precision types are
// the storage format of mesh vertices and normals; they widen to double
// implicitly, and narrow only explicitly.

#include <cmath>

#include "opennurbs_defines.h"

class ON_3dVector;
class ON_3fPoint;
class ON_3fVector;

class ON_CLASS ON_2dPoint {
public:
  double x = 0.0, y = 0.0;
  constexpr ON_2dPoint() = default;
  constexpr ON_2dPoint(double xx, double yy) : x(xx), y(yy) {}
  bool operator==(const ON_2dPoint&) const = default;
};

class ON_CLASS ON_2fPoint {
public:
  float x = 0.0f, y = 0.0f;
  constexpr ON_2fPoint() = default;
  constexpr ON_2fPoint(float xx, float yy) : x(xx), y(yy) {}
  bool operator==(const ON_2fPoint&) const = default;
};

class ON_CLASS ON_3dPoint {
public:
  double x = 0.0, y = 0.0, z = 0.0;

  constexpr ON_3dPoint() = default;
  constexpr ON_3dPoint(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  explicit constexpr ON_3dPoint(const double* p) : x(p[0]), y(p[1]), z(p[2]) {}
  explicit ON_3dPoint(const ON_3dVector& v);
  ON_3dPoint(const ON_3fPoint& p); // widening, implicit on purpose

  static const ON_3dPoint Origin;
  static const ON_3dPoint UnsetPoint;

  double& operator[](int i) { return i <= 0 ? x : (i == 1 ? y : z); }
  double operator[](int i) const { return i <= 0 ? x : (i == 1 ? y : z); }

  ON_3dPoint& operator+=(const ON_3dVector& v);
  ON_3dPoint& operator-=(const ON_3dVector& v);
  ON_3dPoint& operator+=(const ON_3dPoint& p) {
    x += p.x;
    y += p.y;
    z += p.z;
    return *this;
  }
  ON_3dPoint& operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  ON_3dPoint& operator/=(double s) { return *this *= (1.0 / s); }

  ON_3dPoint operator+(const ON_3dPoint& p) const { return {x + p.x, y + p.y, z + p.z}; }
  ON_3dPoint operator+(const ON_3dVector& v) const;
  ON_3dPoint operator-(const ON_3dVector& v) const;
  ON_3dVector operator-(const ON_3dPoint& p) const;
  ON_3dPoint operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dPoint operator/(double s) const { return {x / s, y / s, z / s}; }
  ON_3dPoint operator-() const { return {-x, -y, -z}; }

  bool operator==(const ON_3dPoint&) const = default;

  double DistanceTo(const ON_3dPoint& p) const;
  // True when every coordinate is finite and none is ON_UNSET_VALUE.
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  double MaximumCoordinate() const;
};

class ON_CLASS ON_3dVector {
public:
  double x = 0.0, y = 0.0, z = 0.0;

  constexpr ON_3dVector() = default;
  constexpr ON_3dVector(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  explicit ON_3dVector(const ON_3dPoint& p) : x(p.x), y(p.y), z(p.z) {}
  ON_3dVector(const ON_3fVector& v); // widening, implicit on purpose

  static const ON_3dVector ZeroVector;
  static const ON_3dVector XAxis;
  static const ON_3dVector YAxis;
  static const ON_3dVector ZAxis;

  double& operator[](int i) { return i <= 0 ? x : (i == 1 ? y : z); }
  double operator[](int i) const { return i <= 0 ? x : (i == 1 ? y : z); }

  ON_3dVector& operator+=(const ON_3dVector& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  ON_3dVector& operator-=(const ON_3dVector& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return *this;
  }
  ON_3dVector& operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  ON_3dVector& operator/=(double s) { return *this *= (1.0 / s); }

  ON_3dVector operator+(const ON_3dVector& v) const { return {x + v.x, y + v.y, z + v.z}; }
  ON_3dVector operator-(const ON_3dVector& v) const { return {x - v.x, y - v.y, z - v.z}; }
  ON_3dVector operator*(double s) const { return {x * s, y * s, z * s}; }
  ON_3dVector operator/(double s) const { return {x / s, y / s, z / s}; }
  ON_3dVector operator-() const { return {-x, -y, -z}; }
  // Dot product.
  double operator*(const ON_3dVector& v) const { return x * v.x + y * v.y + z * v.z; }

  bool operator==(const ON_3dVector&) const = default;

  double Length() const;
  double LengthSquared() const { return x * x + y * y + z * z; }
  // Scales to unit length. A zero or non-finite vector is left unchanged and
  // false is returned.
  bool Unitize();
  ON_3dVector UnitVector() const;
  bool IsZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }
  bool IsTiny(double tiny_tol = ON_ZERO_TOLERANCE) const;
  bool IsUnitVector() const;
  bool IsValid() const { return ON_IsValid(x) && ON_IsValid(y) && ON_IsValid(z); }
  // Makes this vector perpendicular to v (some unit vector); false for zero v.
  bool PerpendicularTo(const ON_3dVector& v);
  void Reverse() {
    x = -x;
    y = -y;
    z = -z;
  }
};

inline ON_3dVector operator*(double s, const ON_3dVector& v) {
  return v * s;
}
inline ON_3dPoint operator*(double s, const ON_3dPoint& p) {
  return p * s;
}

ON_DECL double ON_DotProduct(const ON_3dVector& a, const ON_3dVector& b);
ON_DECL ON_3dVector ON_CrossProduct(const ON_3dVector& a, const ON_3dVector& b);

class ON_CLASS ON_3fPoint {
public:
  float x = 0.0f, y = 0.0f, z = 0.0f;
  constexpr ON_3fPoint() = default;
  constexpr ON_3fPoint(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
  // Narrowing from double: explicit so precision loss is always visible.
  explicit ON_3fPoint(const ON_3dPoint& p)
      : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)) {}
  bool operator==(const ON_3fPoint&) const = default;
  float& operator[](int i) { return i <= 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i <= 0 ? x : (i == 1 ? y : z); }
};

class ON_CLASS ON_3fVector {
public:
  float x = 0.0f, y = 0.0f, z = 0.0f;
  constexpr ON_3fVector() = default;
  constexpr ON_3fVector(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}
  explicit ON_3fVector(const ON_3dVector& v)
      : x(static_cast<float>(v.x)), y(static_cast<float>(v.y)), z(static_cast<float>(v.z)) {}
  bool operator==(const ON_3fVector&) const = default;
  float& operator[](int i) { return i <= 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i <= 0 ? x : (i == 1 ? y : z); }
  double Length() const { return ON_3dVector(*this).Length(); }
};

// Homogeneous point (x, y, z, w).
class ON_CLASS ON_4dPoint {
public:
  double x = 0.0, y = 0.0, z = 0.0, w = 1.0;
  constexpr ON_4dPoint() = default;
  constexpr ON_4dPoint(double xx, double yy, double zz, double ww) : x(xx), y(yy), z(zz), w(ww) {}
  explicit ON_4dPoint(const ON_3dPoint& p) : x(p.x), y(p.y), z(p.z), w(1.0) {}
  bool operator==(const ON_4dPoint&) const = default;
  // Euclidean point (x/w, y/w, z/w); w == 0 gives (x, y, z).
  ON_3dPoint Euclidean() const;
};

// ---- inline definitions that need both types ----
inline ON_3dPoint::ON_3dPoint(const ON_3dVector& v) : x(v.x), y(v.y), z(v.z) {}
inline ON_3dPoint::ON_3dPoint(const ON_3fPoint& p) : x(p.x), y(p.y), z(p.z) {}
inline ON_3dVector::ON_3dVector(const ON_3fVector& v) : x(v.x), y(v.y), z(v.z) {}
inline ON_3dPoint& ON_3dPoint::operator+=(const ON_3dVector& v) {
  x += v.x;
  y += v.y;
  z += v.z;
  return *this;
}
inline ON_3dPoint& ON_3dPoint::operator-=(const ON_3dVector& v) {
  x -= v.x;
  y -= v.y;
  z -= v.z;
  return *this;
}
inline ON_3dPoint ON_3dPoint::operator+(const ON_3dVector& v) const {
  return {x + v.x, y + v.y, z + v.z};
}
inline ON_3dPoint ON_3dPoint::operator-(const ON_3dVector& v) const {
  return {x - v.x, y - v.y, z - v.z};
}
inline ON_3dVector ON_3dPoint::operator-(const ON_3dPoint& p) const {
  return {x - p.x, y - p.y, z - p.z};
}

static_assert(sizeof(ON_3dPoint) == 24, "ON_3dPoint must stay three packed doubles");
static_assert(sizeof(ON_3dVector) == 24, "ON_3dVector must stay three packed doubles");
static_assert(sizeof(ON_3fPoint) == 12, "ON_3fPoint must stay three packed floats");
