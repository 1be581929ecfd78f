// Draws a mesh's outline (its naked edges and unwelded seams, see
// section/mesh_outline.h) in the colours of the frame's attributes. Cut
// meshes bring the outline their cache found when it was built; other
// meshes have theirs found here, from the topology, at each call.

#include "edge_drawing.h"

#include <algorithm>

namespace {

constexpr int kEdgeZBias = 1;

int BlendChannel(int c, int k) {
  return (c + 7 * k) / 8;
}

int ReduceChannel(int c, float factor) {
  return static_cast<int>((static_cast<float>(c) / 255.0f) * factor * 255.0f);
}

} // namespace

ON_Color BlendEdgeColor(ON_Color color, ON_Color toward) {
  return ON_Color(BlendChannel(color.Red(), toward.Red()),
                  BlendChannel(color.Green(), toward.Green()),
                  BlendChannel(color.Blue(), toward.Blue()), 0);
}

ON_Color ReduceEdgeColor(ON_Color color, int reduction_percent) {
  const int r = std::clamp(reduction_percent, 0, 100);
  const float factor = static_cast<float>(100 - r) / 100.0f;
  return ON_Color(ReduceChannel(color.Red(), factor), ReduceChannel(color.Green(), factor),
                  ReduceChannel(color.Blue(), factor), 0);
}

void DrawMeshEdgeLines(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                       const CDisplayPipelineAttributes& attrs, bool bMeshObject,
                       const EdgeColouring& colouring, const DS_MeshOutline* outline) {
  if (mesh == nullptr) return;
  if (outline == nullptr) {
    const DS_MeshOutline found(*mesh);
    DrawMeshEdgeLines(pipeline, mesh, attrs, bMeshObject, colouring, &found);
    return;
  }
  if (colouring.m_bDrawMeshWires) pipeline.DrawMeshWires(*mesh, colouring.m_wire_color, 0);

  const CDisplayEdgeSettings& set = bMeshObject ? attrs.m_mesh_edges : attrs.m_surface_edges;
  const bool show_edges = set.m_bShowEdges && set.m_edge_thickness >= 1;
  const bool show_naked = set.m_bShowNakedEdges && set.m_naked_edge_thickness >= 1;
  // Nothing of the outline shows: the pipeline state is left untouched.
  if (!(show_naked && outline->NakedCount() > 0) && !(show_edges && outline->SeamCount() > 0))
    return;

  const int saved_zbias = pipeline.ZBiasMode();
  pipeline.SetZBiasMode(kEdgeZBias);

  ON_Color edge_color = set.m_edge_color;
  ON_Color naked_color = set.m_naked_edge_color;
  if (colouring.m_bUseColorUsage && !bMeshObject) {
    if (set.m_edge_color_usage == 0) edge_color = attrs.m_display_color;
    if (set.m_naked_edge_color_usage == 0) naked_color = attrs.m_display_color;
  }
  if (attrs.m_blend_edge_colors != 0 && !pipeline.InOverlayMode()) {
    edge_color = BlendEdgeColor(edge_color, colouring.m_blend_color);
    naked_color = BlendEdgeColor(naked_color, colouring.m_blend_color);
  } else {
    edge_color = ReduceEdgeColor(edge_color, set.m_edge_color_reduction);
    naked_color = ReduceEdgeColor(naked_color, set.m_naked_edge_color_reduction);
  }

  for (const DS_MeshOutline::Segment& segment : outline->Segments()) {
    if (segment.m_bNaked) {
      if (show_naked)
        pipeline.DrawLine(segment.m_from, segment.m_to, naked_color, set.m_naked_edge_thickness,
                          attrs.m_naked_edge_pattern);
    } else if (show_edges) {
      pipeline.DrawLine(segment.m_from, segment.m_to, edge_color, set.m_edge_thickness,
                        set.m_edge_pattern);
    }
  }

  pipeline.SetZBiasMode(saved_zbias);
}
