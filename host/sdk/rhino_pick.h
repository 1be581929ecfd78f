#pragma once
// Picking: the pick context of one pick at a pixel of a view, the pick
// filters that code outside the host registers, and the hits a pick gives.
//
// A pick builds a line through the pixel from the near to the far plane
// (world coordinates) and hits objects by their meshes (a triangle the line
// passes through) or by their curves and wires (within a pixel tolerance on
// screen). Hits are sorted nearest first, then each hit is offered to every
// registered, live filter in registration order; a filter answering false
// removes it.

#include <vector>

#include "opennurbs.h"

class CRhinoView;
class CRhinoObject;

class CRhinoPickContext {
public:
  // Modes of PickMesh.
  enum pick_mesh_mode : int {
    pick_mesh_wires = 0,  // edges and vertices within the pixel tolerance
    pick_mesh_shaded = 1, // faces the pick line passes through
  };
  // Kinds of mesh hit (PickMesh's hit_kind).
  enum mesh_hit_kind : int { hit_none = 0, hit_face = 1, hit_edge = 2, hit_vertex = 3 };

  CRhinoPickContext() = default;

  // The view picked in, or null.
  CRhinoView* m_view = nullptr;
  // World line through the pixel, from the near plane (parameter 0) to the
  // far plane (1).
  ON_Line m_pick_line;
  // The viewport the pick was made in (screen coordinates for tolerances).
  ON_Viewport m_vp;
  double m_pick_x = 0.0, m_pick_y = 0.0;
  double m_pixel_tolerance = 3.0;

  // Sets the line and viewport for pixel (x, y) of vp; false for an
  // invalid viewport.
  bool SetPickPoint(const ON_Viewport& vp, double x, double y, double pixel_tolerance);

  // True when the pick hits the mesh. Out-values (any may be null): the hit
  // point, the barycentric coordinates of the hit in its face (4 values,
  // quads split 0-1-2 / 0-2-3), the face normal, the depth (pick line
  // parameter, smaller is nearer), the distance from the line in pixels (0
  // for face hits), the kind of hit and the face index.
  bool PickMesh(const ON_Mesh* mesh, int mode, ON_3dPoint* hit_point, double* barycentric,
                ON_3dVector* face_normal, double* depth, double* pixel_distance, int* hit_kind,
                int* face_index) const;
  // True when the segment passes within the pixel tolerance of the pick
  // point; depth and pixel distance as for PickMesh (may be null).
  bool PickSegment(const ON_3dPoint& from, const ON_3dPoint& to, ON_3dPoint* hit_point,
                   double* depth, double* pixel_distance) const;
};

class CRhinoPickFilter {
public:
  CRhinoPickFilter();
  virtual ~CRhinoPickFilter(); // unregisters
  CRhinoPickFilter(const CRhinoPickFilter&) = delete;
  CRhinoPickFilter& operator=(const CRhinoPickFilter&) = delete;

  // From Register() on, the host asks this filter about every pick hit.
  void Register();
  void UnRegister();
  bool IsRegistered() const;

  // The pick test: false removes object from the pick. bSubObject is true
  // when the hit is on a part of the object (never in this host).
  virtual bool AllowPick(const CRhinoPickContext& context, const CRhinoObject* object,
                         bool bSubObject) = 0;
};

// One object a pick hit.
struct CRhinoPickHit {
  const CRhinoObject* m_object = nullptr;
  ON_3dPoint m_point;      // world point hit
  double m_depth = 0.0;    // pick line parameter, smaller is nearer
  double m_distance = 0.0; // pixels from the pick point (0 for face hits)
};

namespace rhino_sdk_internal {
// Offers a hit to the registered filters; false when one removed it.
bool RunPickFilters(const CRhinoPickContext& context, const CRhinoObject* object);
} // namespace rhino_sdk_internal
