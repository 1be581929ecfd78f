// TL_HealMesh over the plain-mesh core. The source is converted in full
// before the target is written, so healing in place is safe.
#include "tl_heal_mesh.h"
#include "tl_mesh_boolean.h"

#include "on_mesh_bridge.h"
#include "solid_ops.h"

namespace {

// Welding of coincident vertices before stitching; the floor at float
// resolution does the real work.

} // namespace

bool TL_HealMesh(const ON_Mesh& source, ON_Mesh& target, double tolerance, bool bStitchSeams,
                 bool bFillHoles) {
  try {
    meshtools::TriMesh in, out;
    if (!meshtools::ToTriMesh(source, in)) return false;
    if (!meshtools::HealToSolid(in, TL_BOOLEAN_TOLERANCE, tolerance, bStitchSeams, bFillHoles, out))
      return false;
    meshtools::ToONMesh(out, target);
    return true;
  } catch (...) {
    return false;
  }
}
