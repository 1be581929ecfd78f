// Walks the mesh topology. An edge with one face is naked. Another edge is
// an unwelded seam when its two first faces are different faces that reach
// its ends through different mesh vertices, and both of its ends stand for
// more than one mesh vertex; only those are drawn, so a welded mesh shows
// its naked edges alone.

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

// The corner at which face `face` reaches edge `edge` (its k-th side runs
// from corner k-1 to corner k), or -1 when the face has no such side.
int CornerOfEdge(const ON_MeshTopologyFace& face, int corner_count, int edge) {
  for (int k = 0; k < corner_count; ++k)
    if (face.m_topei[k] == edge) return k;
  return -1;
}

// The faces reach the edge's ends through different mesh vertices: the
// mesh is not welded along the edge.
bool IsUnweldedSeam(const ON_Mesh& mesh, const ON_MeshTopology& top, int edge, int f0, int f1) {
  int vi[2][2];
  const int faces[2] = {f0, f1};
  for (int s = 0; s < 2; ++s) {
    const ON_MeshFace& face = mesh.m_F[faces[s]];
    const int n = face.IsQuad() ? 4 : 3;
    const int k = CornerOfEdge(top.m_topf[faces[s]], n, edge);
    if (k < 0) return false;
    vi[s][0] = face.vi[k];
    vi[s][1] = face.vi[(k + n - 1) % n];
  }
  for (int a = 0; a < 2; ++a)
    for (int b = 0; b < 2; ++b)
      if (vi[0][a] == vi[1][b]) return false;
  return true;
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
                       const EdgeColouring& colouring) {
  if (mesh == nullptr) return;
  if (colouring.m_bDrawMeshWires) pipeline.DrawMeshWires(*mesh, colouring.m_wire_color, 0);

  const CDisplayEdgeSettings& set = bMeshObject ? attrs.m_mesh_edges : attrs.m_surface_edges;
  const bool show_edges = set.m_bShowEdges && set.m_edge_thickness >= 1;
  const bool show_naked = set.m_bShowNakedEdges && set.m_naked_edge_thickness >= 1;
  if (!show_edges && !show_naked) return;

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

  const ON_MeshTopology& top = mesh->Topology();
  for (int e = 0; e < top.m_tope.Count(); ++e) {
    const ON_MeshTopologyEdge& edge = top.m_tope[e];
    const ON_MeshTopologyVertex& v0 = top.m_topv[edge.m_topvi[0]];
    const ON_MeshTopologyVertex& v1 = top.m_topv[edge.m_topvi[1]];
    const ON_3dPoint from = mesh->Vertex(v0.m_vi[0]);
    const ON_3dPoint to = mesh->Vertex(v1.m_vi[0]);
    if (edge.m_topf_count == 1) {
      if (show_naked)
        pipeline.DrawLine(from, to, naked_color, set.m_naked_edge_thickness,
                          attrs.m_naked_edge_pattern);
      continue;
    }
    if (!show_edges || edge.m_topf_count < 2 || v0.m_v_count <= 1 || v1.m_v_count <= 1) continue;
    const int f0 = edge.m_topfi[0];
    const int f1 = edge.m_topfi[1];
    if (f0 == f1 || !IsUnweldedSeam(*mesh, top, e, f0, f1)) continue;
    pipeline.DrawLine(from, to, edge_color, set.m_edge_thickness, set.m_edge_pattern);
  }

  pipeline.SetZBiasMode(saved_zbias);
}
