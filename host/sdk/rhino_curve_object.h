#pragma once
// CRhinoCurveObject: an object whose geometry is a polyline curve. Curves
// have no meshes; they draw as lines and are picked by distance in pixels.

#include "rhino_object.h"

class CRhinoCurveObject : public CRhinoObject {
public:
  CRhinoCurveObject();
  explicit CRhinoCurveObject(const ON_3dmObjectAttributes& attributes);
  CRhinoCurveObject(const CRhinoCurveObject& src);
  ~CRhinoCurveObject() override;

  ON::object_type ObjectType() const override; // ON::curve_object
  unsigned int SizeOf() const override;
  CRhinoObject* DuplicateRhinoObject() const override;
  bool TransformGeometry(const ON_Xform& xform) override;
  const ON_Geometry* Geometry() const override { return m_curve; }

  // Takes ownership of curve (null: none).
  void SetCurve(ON_PolylineCurve* curve);
  void SetCurve(const ON_PolylineCurve& curve);
  // The curve, or null.
  const ON_PolylineCurve* Curve() const { return m_curve; }

  void Draw(CRhinoDisplayPipeline& pipeline) const override;
  ON_BoundingBox BoundingBox() const override;
  bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                           const ON_Xform* xform = nullptr) const override;

private:
  ON_PolylineCurve* m_curve = nullptr;
};
