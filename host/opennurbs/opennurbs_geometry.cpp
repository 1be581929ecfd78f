#include "opennurbs_geometry.h"

ON_VIRTUAL_OBJECT_IMPLEMENT(ON_Geometry, ON_Object, "E5E25A42-A331-420B-8CB6-FDE3D1BF6AC7")

bool ON_Geometry::GetBBox(ON_BoundingBox& bbox, bool bGrowBox) const {
  if (!bGrowBox) bbox.Destroy();
  return bbox.IsValid();
}

bool ON_Geometry::Transform(const ON_Xform& xform) {
  TransformUserData(xform);
  return true;
}

ON_BoundingBox ON_Geometry::BoundingBox() const {
  ON_BoundingBox b;
  if (!GetBBox(b, false)) b.Destroy();
  return b;
}
