#include "opennurbs_polyline.h"

#include <cmath>

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_PolylineCurve, ON_Geometry, "68C45366-417A-4F00-8CCC-EFDEA7884DDF")

bool ON_Polyline::IsValid() const {
  if (Count() < 2) return false;
  for (int i = 0; i < Count(); ++i) {
    if (!(*this)[i].IsValid()) return false;
    if (i > 0 && (*this)[i] == (*this)[i - 1]) return false;
  }
  return true;
}

bool ON_Polyline::IsClosed() const {
  return Count() >= 4 && (*this)[0] == (*this)[Count() - 1];
}

double ON_Polyline::Length() const {
  double len = 0.0;
  for (int i = 1; i < Count(); ++i)
    len += (*this)[i - 1].DistanceTo((*this)[i]);
  return len;
}

ON_BoundingBox ON_Polyline::BoundingBox() const {
  ON_BoundingBox b;
  b.Set(Count(), Array(), false);
  return b;
}

bool ON_Polyline::Transform(const ON_Xform& xform) {
  for (ON_3dPoint& p : *this)
    p = xform * p;
  return true;
}

ON_3dPoint ON_Polyline::PointAt(double t) const {
  if (Count() == 0) return ON_3dPoint::UnsetPoint;
  if (!(t > 0.0)) return (*this)[0]; // also catches NaN
  if (t >= Count() - 1) return (*this)[Count() - 1];
  const int i = static_cast<int>(std::floor(t));
  const double s = t - i;
  return (*this)[i] * (1.0 - s) + (*this)[i + 1] * s;
}

bool ON_PolylineCurve::IsValid(ON_TextLog*) const {
  return m_pline.IsValid();
}

unsigned int ON_PolylineCurve::SizeOf() const {
  return ON_Geometry::SizeOf() +
         static_cast<unsigned int>(sizeof(ON_PolylineCurve) - sizeof(ON_Geometry)) +
         m_pline.SizeOfArray();
}

ON__UINT32 ON_PolylineCurve::DataCRC(ON__UINT32 crc) const {
  return ON_CRC32(crc, static_cast<size_t>(m_pline.Count()) * sizeof(ON_3dPoint), m_pline.Array());
}

bool ON_PolylineCurve::Write(ON_BinaryArchive& a) const {
  bool ok = a.WriteInt(m_pline.Count());
  for (int i = 0; ok && i < m_pline.Count(); ++i)
    ok = a.WritePoint(m_pline[i]);
  return ok;
}

bool ON_PolylineCurve::Read(ON_BinaryArchive& a) {
  int n = 0;
  if (!a.ReadInt(&n) || n < 0 || static_cast<size_t>(n) * 24 > a.Buffer().size()) return false;
  ON_Polyline p;
  p.Reserve(n);
  for (int i = 0; i < n; ++i) {
    ON_3dPoint q;
    if (!a.ReadPoint(q)) return false;
    p.Append(q);
  }
  m_pline = p;
  return true;
}

ON::object_type ON_PolylineCurve::ObjectType() const {
  return ON::curve_object;
}

bool ON_PolylineCurve::GetBBox(ON_BoundingBox& bbox, bool bGrowBox) const {
  ON_BoundingBox b = m_pline.BoundingBox();
  if (bGrowBox) {
    bbox.Union(b);
  } else {
    bbox = b;
  }
  return bbox.IsValid();
}

bool ON_PolylineCurve::Transform(const ON_Xform& xform) {
  m_pline.Transform(xform);
  return ON_Geometry::Transform(xform);
}
