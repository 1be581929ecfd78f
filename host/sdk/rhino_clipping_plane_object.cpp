#include "rhino_clipping_plane_object.h"

#include "rhino_display_attributes.h"
#include "rhino_display_pipeline.h"

CRhinoClippingPlaneObject::CRhinoClippingPlaneObject() = default;

CRhinoClippingPlaneObject::CRhinoClippingPlaneObject(const ON_3dmObjectAttributes& attributes,
                                                     const ON_Plane& plane, double half_width,
                                                     double half_height)
    : CRhinoObject(attributes), m_plane(plane), m_half_width(half_width > 0.0 ? half_width : 1.0),
      m_half_height(half_height > 0.0 ? half_height : 1.0) {}

CRhinoClippingPlaneObject::~CRhinoClippingPlaneObject() = default;

ON::object_type CRhinoClippingPlaneObject::ObjectType() const {
  return ON::clipplane_object;
}

CRhinoObject* CRhinoClippingPlaneObject::DuplicateRhinoObject() const {
  return new CRhinoClippingPlaneObject(*this);
}

bool CRhinoClippingPlaneObject::TransformGeometry(const ON_Xform& xform) {
  return m_plane.Transform(xform);
}

ON_ClippingPlaneInfo CRhinoClippingPlaneObject::ClippingPlaneInfo() const {
  ON_ClippingPlaneInfo info;
  info.m_plane_equation.Create(m_plane.origin, m_plane.zaxis);
  info.m_plane_id = ModelObjectId();
  info.m_bEnabled = true;
  return info;
}

void CRhinoClippingPlaneObject::GetCorners(ON_3dPoint corners[4]) const {
  corners[0] = m_plane.PointAt(-m_half_width, -m_half_height);
  corners[1] = m_plane.PointAt(m_half_width, -m_half_height);
  corners[2] = m_plane.PointAt(m_half_width, m_half_height);
  corners[3] = m_plane.PointAt(-m_half_width, m_half_height);
}

void CRhinoClippingPlaneObject::Draw(CRhinoDisplayPipeline& pipeline) const {
  const CDisplayPipelineAttributes* attrs = pipeline.DisplayAttrs();
  ON_3dPoint c[4];
  GetCorners(c);
  for (int i = 0; i < 4; ++i)
    pipeline.DrawLine(c[i], c[(i + 1) % 4], attrs->m_display_color, 1,
                      attrs->m_clipping_plane_pattern);
}

ON_BoundingBox CRhinoClippingPlaneObject::BoundingBox() const {
  ON_3dPoint c[4];
  GetCorners(c);
  ON_BoundingBox box;
  box.Set(4, c, false);
  return box;
}

bool CRhinoClippingPlaneObject::GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox,
                                                    const ON_Xform* xform) const {
  ON_3dPoint c[4];
  GetCorners(c);
  ON_BoundingBox b;
  for (const ON_3dPoint& p : c)
    b.Set(xform ? (*xform) * p : p, true);
  if (bGrowBox && box.IsValid())
    box.Union(b);
  else
    box = b;
  return box.IsValid();
}
