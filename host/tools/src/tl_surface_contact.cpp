// TL_SurfacesMayMeet over the plain-mesh core: the reach is what the
// booleans' welding of both inputs could close.
#include "tl_surface_contact.h"

#include <cmath>

#include "mesh_cleanup.h"
#include "on_mesh_bridge.h"
#include "surface_contact.h"

bool TL_SurfacesMayMeet(const ON_Mesh& A, const ON_Mesh& B, double tolerance_A,
                        double tolerance_B) {
  try {
    meshtools::TriMesh a, b;
    if (!meshtools::ToTriMesh(A, a) || !meshtools::ToTriMesh(B, b)) return true;
    if (!meshtools::IsWellFormed(a) || !meshtools::IsWellFormed(b)) return true;
    // Welding moves a vertex by at most its mesh's weld distance along each
    // axis, and every point of a triangle moves no farther than its
    // corners: by at most sqrt(3) times that in space. The factor 2 covers
    // the rounding of the distances measured here.
    const double weld =
        meshtools::WeldDistance(a, tolerance_A) + meshtools::WeldDistance(b, tolerance_B);
    return meshtools::SurfacesWithin(a, b, 2.0 * std::sqrt(3.0) * weld);
  } catch (...) {
    return true; // the boolean decides, as without this test
  }
}
