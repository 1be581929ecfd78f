#include "rhino_curve_object.h"

#include "rhino_display_attributes.h"
#include "rhino_display_pipeline.h"

CRhinoCurveObject::CRhinoCurveObject() = default;

CRhinoCurveObject::CRhinoCurveObject(const ON_3dmObjectAttributes& attributes)
    : CRhinoObject(attributes) {}

CRhinoCurveObject::CRhinoCurveObject(const CRhinoCurveObject& src) : CRhinoObject(src) {
  if (src.m_curve != nullptr) m_curve = new ON_PolylineCurve(*src.m_curve);
}

CRhinoCurveObject::~CRhinoCurveObject() {
  delete m_curve;
}

ON::object_type CRhinoCurveObject::ObjectType() const {
  return ON::curve_object;
}

unsigned int CRhinoCurveObject::SizeOf() const {
  unsigned int sz =
      CRhinoObject::SizeOf() + static_cast<unsigned int>(sizeof(*this) - sizeof(CRhinoObject));
  if (m_curve != nullptr) sz += m_curve->SizeOf();
  return sz;
}

CRhinoObject* CRhinoCurveObject::DuplicateRhinoObject() const {
  return new CRhinoCurveObject(*this);
}

bool CRhinoCurveObject::TransformGeometry(const ON_Xform& xform) {
  return m_curve != nullptr && m_curve->Transform(xform);
}

void CRhinoCurveObject::SetCurve(ON_PolylineCurve* curve) {
  if (curve == m_curve) return;
  delete m_curve;
  m_curve = curve;
}

void CRhinoCurveObject::SetCurve(const ON_PolylineCurve& curve) {
  SetCurve(new ON_PolylineCurve(curve));
}

void CRhinoCurveObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  if (m_curve == nullptr || m_curve->PointCount() < 2) return;
  const CDisplayPipelineAttributes* attrs = pipeline.DisplayAttrs();
  pipeline.DrawPolyline(m_curve->m_pline, attrs->m_display_color, attrs->m_curve_thickness,
                        attrs->m_curve_pattern);
}

ON_BoundingBox CRhinoCurveObject::BoundingBox() const {
  return m_curve ? m_curve->BoundingBox() : ON_BoundingBox();
}

bool CRhinoCurveObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                            const ON_Xform* xform) const {
  if (m_curve == nullptr || m_curve->PointCount() == 0) return bGrowBox && box.IsValid();
  ON_BoundingBox b;
  for (const ON_3dPoint& p : m_curve->m_pline)
    b.Set(xform ? (*xform) * p : p, true);
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return box.IsValid();
}
