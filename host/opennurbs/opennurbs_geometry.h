#pragma once
// ON_Geometry: objects with a position in space.

#include "opennurbs_bounding_box.h"
#include "opennurbs_object.h"
#include "opennurbs_xform.h"

class ON_CLASS ON_Geometry : public ON_Object {
  ON_VIRTUAL_OBJECT_DECLARE(ON_Geometry);

public:
  ON_Geometry() noexcept = default;
  ON_Geometry(const ON_Geometry&) = default;
  ON_Geometry& operator=(const ON_Geometry&) = default;
  ~ON_Geometry() override = default;

  virtual int Dimension() const { return 3; }
  // Sets bbox to the geometry's box, or grows it by that box when
  // bGrowBox is true (an empty input box is then simply replaced). Returns
  // true when bbox is valid afterwards. Geometry without points leaves
  // bbox unchanged when growing and empty otherwise, and returns false
  // unless the grown box was already valid.
  virtual bool GetBBox(ON_BoundingBox& bbox, bool bGrowBox = false) const;
  // Moves the geometry; the base transforms only the user data
  // (ON_Object::TransformUserData). Derived classes call the base.
  virtual bool Transform(const ON_Xform& xform);

  // The box from GetBBox, empty when there is none.
  ON_BoundingBox BoundingBox() const;
};
