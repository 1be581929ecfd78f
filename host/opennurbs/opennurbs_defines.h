#pragma once
// Library-wide constants, export macro and the ON enumerations.
//
// Numeric values of the enumerations are part of the contract with the
// system: callers compare them as plain numbers and pass them as bit masks.

#include <cstdint>

#if defined(_WIN32)
#if defined(OPENNURBS_EXPORTS)
#define ON_CLASS __declspec(dllexport)
#else
#define ON_CLASS __declspec(dllimport)
#endif
#else
#define ON_CLASS __attribute__((visibility("default")))
#endif
#define ON_DECL ON_CLASS

using ON__INT32 = std::int32_t;
using ON__UINT32 = std::uint32_t;
using ON__INT64 = std::int64_t;
using ON__UINT64 = std::uint64_t;

// 2^-52, the spacing of doubles just above 1.
inline constexpr double ON_EPSILON = 2.2204460492503131e-16;
// Rounded square root of ON_EPSILON as the library has always published it;
// callers derive their tolerances (x10, x100) from this exact value.
inline constexpr double ON_SQRT_EPSILON = 1.490116119385000000e-8;
inline constexpr double ON_ZERO_TOLERANCE = 2.3283064365386962890625e-10;
// Marker for "no value"; compare with ==, never do arithmetic on it.
inline constexpr double ON_UNSET_VALUE = -1.23432101234321e+308;
inline constexpr float ON_UNSET_FLOAT = -1.234321e+38f;
inline constexpr double ON_PI = 3.141592653589793238462643;
inline constexpr double ON_DBL_MAX = 1.7976931348623157e+308;

// True for finite values that are not the unset marker.
bool ON_DECL ON_IsValid(double x);

class ON_CLASS ON {
public:
  enum mesh_type : int {
    default_mesh = 0,
    render_mesh = 1,
    analysis_mesh = 2,
    preview_mesh = 3,
    any_mesh = 4
  };

  // Bit values: object getters combine them as filters.
  enum object_type : unsigned int {
    unknown_object_type = 0,
    point_object = 1,
    pointset_object = 2,
    curve_object = 4,
    surface_object = 8,
    brep_object = 0x10,
    mesh_object = 0x20,
    layer_object = 0x40,
    material_object = 0x80,
    light_object = 0x100,
    annotation_object = 0x200,
    userdata_object = 0x400,
    instance_definition = 0x800,
    instance_reference = 0x1000,
    text_dot = 0x2000,
    grip_object = 0x4000,
    detail_object = 0x8000,
    hatch_object = 0x10000,
    morph_control_object = 0x20000,
    loop_object = 0x80000,
    polysrf_filter = 0x200000,
    edge_filter = 0x400000,
    polyedge_filter = 0x800000,
    meshvertex_object = 0x1000000,
    meshedge_object = 0x2000000,
    meshface_object = 0x4000000,
    cage_object = 0x8000000,
    phantom_object = 0x10000000,
    clipplane_object = 0x20000000,
    extrusion_object = 0x40000000,
    any_object = 0xFFFFFFFF
  };

  // Coordinate systems of a viewport, see ON_Viewport::GetXform.
  //   world:  model coordinates.
  //   camera: right-handed, origin at the camera, x right, y up, the view
  //           looks down -z.
  //   clip:   the view frustum mapped to the cube [-1,1]^3, z = -1 near.
  //   screen: pixels, x right from the port's left, y down from its top,
  //           z 0 at near to 1 at far.
  enum coordinate_system : int { world_cs = 0, camera_cs = 1, clip_cs = 2, screen_cs = 3 };

  enum object_material_source : int {
    material_from_layer = 0,
    material_from_object = 1,
    material_from_parent = 3
  };

  enum object_color_source : int {
    color_from_layer = 0,
    color_from_object = 1,
    color_from_material = 2,
    color_from_parent = 3
  };

  enum object_mode : int { normal_object = 0, hidden_object = 1, locked_object = 2 };

  enum view_projection : int { unknown_view = 0, parallel_view = 1, perspective_view = 2 };

  static mesh_type MeshType(int i);
  static object_type ObjectType(unsigned int i);
  static coordinate_system CoordinateSystem(int i);
  static object_mode ObjectMode(int i);
};
