#pragma once
// The camera of a frame as GL needs it: where the eye is, how eye space
// maps onto the picture, and how many pixels the picture has.

#include "opennurbs.h"

namespace glengine {

struct ViewMatrices {
  // World to eye space: x to the right of the picture, y up, z toward the
  // viewer (the camera looks down -z).
  ON_Xform world_to_eye;
  // Eye space to GL clip space; near plane at NDC z = -1.
  ON_Xform eye_to_clip;
  int width = 0;
  int height = 0;
};

// False when the viewport has no usable camera, frustum or picture size.
bool ComputeViewMatrices(const ON_Viewport& viewport, ViewMatrices& out);

// Copies a transform into a column-major GL matrix.
void ToGlMatrix(const ON_Xform& xform, double gl[16]);

} // namespace glengine
