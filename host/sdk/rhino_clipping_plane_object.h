#pragma once
// CRhinoClippingPlaneObject: a display-only plane (ON::clipplane_object,
// 0x20000000). It draws as a rectangle of the given half sizes about the
// plane's origin, in the display mode's clipping-plane line pattern; it has
// no meshes, is never shaded and does not clip anything by itself.

#include "rhino_object.h"

class CRhinoClippingPlaneObject : public CRhinoObject {
public:
  CRhinoClippingPlaneObject();
  CRhinoClippingPlaneObject(const ON_3dmObjectAttributes& attributes, const ON_Plane& plane,
                            double half_width, double half_height);
  CRhinoClippingPlaneObject(const CRhinoClippingPlaneObject& src) = default;
  ~CRhinoClippingPlaneObject() override;

  ON::object_type ObjectType() const override; // ON::clipplane_object
  CRhinoObject* DuplicateRhinoObject() const override;
  bool TransformGeometry(const ON_Xform& xform) override;

  const ON_Plane& Plane() const { return m_plane; }
  // The plane as a clipping plane: keeps the side its normal points to.
  ON_ClippingPlaneInfo ClippingPlaneInfo() const;
  // The four corners of the drawn rectangle, counter-clockwise.
  void GetCorners(ON_3dPoint corners[4]) const;

  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

private:
  ON_Plane m_plane;
  double m_half_width = 1.0;
  double m_half_height = 1.0;
};
