#pragma once
// ON_Polyline: a list of points; ON_PolylineCurve: a polyline as geometry
// (the curve of a curve object).

#include "opennurbs_array.h"
#include "opennurbs_geometry.h"
#include "opennurbs_point.h"

class ON_CLASS ON_Polyline : public ON_SimpleArray<ON_3dPoint> {
public:
  ON_Polyline() = default;
  explicit ON_Polyline(const ON_SimpleArray<ON_3dPoint>& points)
      : ON_SimpleArray<ON_3dPoint>(points) {}
  virtual ~ON_Polyline() = default;
  ON_Polyline(const ON_Polyline&) = default;
  ON_Polyline& operator=(const ON_Polyline&) = default;

  int PointCount() const { return Count(); }
  int SegmentCount() const { return Count() > 0 ? Count() - 1 : 0; }
  // At least two points and no two consecutive points equal.
  bool IsValid() const;
  // At least four points, first equals last.
  bool IsClosed() const;
  double Length() const;
  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);
  // Point at parameter t, segment i spanning [i, i+1]; clamped to the ends.
  ON_3dPoint PointAt(double t) const;
};

class ON_CLASS ON_PolylineCurve : public ON_Geometry {
  ON_OBJECT_DECLARE(ON_PolylineCurve);

public:
  ON_PolylineCurve() = default;
  explicit ON_PolylineCurve(const ON_Polyline& pline) : m_pline(pline) {}
  ON_PolylineCurve(const ON_PolylineCurve&) = default;
  ON_PolylineCurve& operator=(const ON_PolylineCurve&) = default;
  ~ON_PolylineCurve() override = default;

  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  unsigned int SizeOf() const override;
  ON__UINT32 DataCRC(ON__UINT32 current_remainder) const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;
  ON::object_type ObjectType() const override;
  bool GetBBox(ON_BoundingBox& bbox, bool bGrowBox = false) const override;
  bool Transform(const ON_Xform& xform) override;

  int PointCount() const { return m_pline.Count(); }
  bool IsClosed() const { return m_pline.IsClosed(); }

  ON_Polyline m_pline;
};
