#pragma once
// CDisplayPipelineAttributes: how a display mode draws, and, as a per-object
// copy, how one object is drawn in one pass.
//
// A view's display mode is one record (wireframe, shaded, rendered or
// ghosted, see CRhinoDisplayAttrsMgr). For every object of a frame the
// pipeline makes a per-object copy, fills in the object's colour and
// material, and binds that copy as the conduits' current display attributes
// and as GetObjectDisplayAttrs(object) while the object's channels run; what
// a conduit changes there is what gets drawn for that object in that pass.
//
// Values this host settles (named here once):
//   - m_bShadeSurface: the mode has a surface pass. It is also the switch
//     pick filters consult before acting on shaded views ("the display
//     setting that gates pick filtering").
//   - m_bCullBackfaces: the boolean setting that conduits may switch off per
//     object; when on, the surface pass culls back faces of that object.
//   - The four further line patterns beside the two edge patterns are
//     m_curve_pattern, m_mesh_wire_pattern, m_isocurve_pattern and
//     m_clipping_plane_pattern.
//   - Edge colour usage (surface set): edge_color_from_display (0) draws
//     edges in the display colour, edge_color_from_settings (1) in the
//     set's own edge colour.
//   - Patterns are 32-bit stipples, bit 0 first, one bit per pixel;
//     0xFFFFFFFF (or 0) is solid.

#include "engine/display_engine.h"
#include "opennurbs.h"

// One set of edge settings; the attributes hold one for surface-like
// objects (breps) and one for mesh objects.
struct CDisplayEdgeSettings {
  bool m_bShowEdges = true;
  bool m_bShowNakedEdges = true;
  bool m_bShowMeshWires = false; // read from the mesh set only
  int m_edge_thickness = 1;
  int m_naked_edge_thickness = 1;
  int m_edge_color_reduction = 0;       // percent, 0 keeps the colour, 100 black
  int m_naked_edge_color_reduction = 0; // percent
  ON_Color m_edge_color = ON_Color(0, 0, 0);
  ON_Color m_naked_edge_color = ON_Color(0, 0, 0);
  unsigned int m_edge_pattern = 0xFFFFFFFFu;
  int m_edge_color_usage = 0;       // surface set: edge_color_usage value
  int m_naked_edge_color_usage = 0; // surface set: edge_color_usage value
};

class CDisplayPipelineAttributes {
public:
  enum edge_color_usage : int { edge_color_from_display = 0, edge_color_from_settings = 1 };

  // The kind of mode; the same numbers are the display-mode argument of
  // CRhinoDoc::SetRedrawDisplayHint (2 = shaded).
  enum display_mode : int {
    any_display_mode = 0,
    wireframe_display = 1,
    shaded_display = 2,
    rendered_display = 3,
    ghosted_display = 4,
  };

  CDisplayPipelineAttributes();
  CDisplayPipelineAttributes(const CDisplayPipelineAttributes&) = default;
  CDisplayPipelineAttributes& operator=(const CDisplayPipelineAttributes&) = default;
  ~CDisplayPipelineAttributes() = default;

  // Identity of the display mode this record belongs to (per-object copies
  // keep it).
  ON_UUID Id() const { return m_id; }
  void SetId(const ON_UUID& id) { m_id = id; }
  const ON_wString& EnglishName() const { return m_name; }
  void SetEnglishName(const wchar_t* name) { m_name = name; }

  ON_UUID m_id;
  ON_wString m_name;
  int m_display_mode = wireframe_display;

  // ---- surfaces ----
  bool m_bShadeSurface = false;
  bool m_bCullBackfaces = false;
  // true: objects are shaded with their render material (rendered mode);
  // false: with their display colour under m_material's lighting settings.
  bool m_bUseObjectMaterial = false;
  // Transparency given to every object's shaded surface (ghosted mode).
  double m_surface_transparency = 0.0;
  // The material shaded meshes are drawn with. In a per-object record it is
  // the object's own material, as the mode chose it.
  CDisplayEngineMaterial m_material;

  // ---- edges and wires ----
  CDisplayEdgeSettings m_surface_edges;
  CDisplayEdgeSettings m_mesh_edges;
  unsigned int m_naked_edge_pattern = 0xFFFFFFFFu; // shared by both sets
  // Colour of the object's wires; per-object records hold the object's
  // colour (layer or object colour, highlight when selected).
  ON_Color m_display_color = ON_Color(0, 0, 0);
  int m_blend_edge_colors = 0; // nonzero: edge colours are blended toward the display colour
  int m_curve_thickness = 1;
  int m_mesh_wire_thickness = 1;
  unsigned int m_curve_pattern = 0xFFFFFFFFu;
  unsigned int m_mesh_wire_pattern = 0xFFFFFFFFu;
  unsigned int m_isocurve_pattern = 0xFFFFFFFFu;
  unsigned int m_clipping_plane_pattern = 0xF0F0F0F0u;

  // ---- frame ----
  ON_Color m_background_color = ON_Color(160, 160, 160);
  ON_Color m_selection_color = ON_Color(255, 255, 0);
  ON_Color m_locked_color = ON_Color(105, 105, 105);
};

// The host's standard display modes. The records live for the whole process.
class CRhinoDisplayAttrsMgr {
public:
  static const CDisplayPipelineAttributes* StdWireframeAttrs();
  static const CDisplayPipelineAttributes* StdShadedAttrs();
  static const CDisplayPipelineAttributes* StdRenderedAttrs();
  static const CDisplayPipelineAttributes* StdGhostedAttrs();
  // The standard record with that id, or null.
  static const CDisplayPipelineAttributes* FindDisplayAttrs(const ON_UUID& id);
  // The standard record of a display_mode value (wireframe for unknown values).
  static const CDisplayPipelineAttributes* StdAttrsForMode(int display_mode);
};
