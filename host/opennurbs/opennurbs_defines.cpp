#include "opennurbs_defines.h"

// Unknown numbers map to the neutral value instead of an out-of-range enum.
ON::mesh_type ON::MeshType(int i) {
  return (i >= 0 && i <= 4) ? static_cast<mesh_type>(i) : default_mesh;
}

ON::object_type ON::ObjectType(unsigned int i) {
  return static_cast<object_type>(i);
}

ON::coordinate_system ON::CoordinateSystem(int i) {
  return (i >= 0 && i <= 3) ? static_cast<coordinate_system>(i) : world_cs;
}

ON::object_mode ON::ObjectMode(int i) {
  return (i >= 0 && i <= 2) ? static_cast<object_mode>(i) : normal_object;
}
