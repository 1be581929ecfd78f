#include "rhino_mesh_edges.h"

#include "rhino_display_pipeline.h"

namespace rhino_sdk_internal {

ON_Color ReduceColor(ON_Color color, int percent) {
  if (percent <= 0) return ON_Color(color.Red(), color.Green(), color.Blue());
  if (percent >= 100) return ON_Color(0, 0, 0);
  const double f = (100 - percent) / 100.0;
  return ON_Color(static_cast<int>(color.Red() * f), static_cast<int>(color.Green() * f),
                  static_cast<int>(color.Blue() * f));
}

void DrawNakedEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh& mesh, ON_Color color,
                    int thickness, unsigned int pattern) {
  if (mesh.FaceCount() == 0 || thickness < 1) return;
  const ON_MeshTopology& top = mesh.Topology();
  for (int ei = 0; ei < top.TopEdgeCount(); ++ei) {
    const ON_MeshTopologyEdge& e = top.m_tope[ei];
    if (e.m_topf_count != 1) continue;
    pipeline.DrawLine(top.TopVertexPoint(e.m_topvi[0]), top.TopVertexPoint(e.m_topvi[1]), color,
                      thickness, pattern);
  }
}

void ComputeMeshSetEdges(const ON_SimpleArray<const ON_Mesh*>& meshes, MeshSetEdges& edges) {
  edges.seams.Empty();
  edges.naked.Empty();
  // Weld the meshes into one and remember which source mesh each face came
  // from: an edge whose faces come from different sources is a seam.
  ON_Mesh joined;
  ON_SimpleArray<int> face_source;
  for (int i = 0; i < meshes.Count(); ++i) {
    const ON_Mesh* m = meshes[i];
    if (m == nullptr || m->FaceCount() == 0) continue;
    ON_Mesh bare; // positions only, so welding ignores normals and texture
    bare.m_V = m->m_V;
    bare.m_F = m->m_F;
    joined.Append(bare);
    for (int f = 0; f < m->FaceCount(); ++f)
      face_source.Append(i);
  }
  if (joined.FaceCount() == 0) return;
  // Topology merges vertices at identical locations, which is the welding
  // needed here.
  const ON_MeshTopology& top = joined.Topology();
  for (int ei = 0; ei < top.TopEdgeCount(); ++ei) {
    const ON_MeshTopologyEdge& e = top.m_tope[ei];
    const ON_Line line(top.TopVertexPoint(e.m_topvi[0]), top.TopVertexPoint(e.m_topvi[1]));
    if (e.m_topf_count == 1) {
      edges.naked.Append(line);
      continue;
    }
    bool bSeam = false;
    for (int k = 1; k < e.m_topf_count && !bSeam; ++k) {
      const int f0 = e.m_topfi[0], fk = e.m_topfi[k];
      if (f0 >= 0 && fk >= 0 && f0 < face_source.Count() && fk < face_source.Count() &&
          face_source[f0] != face_source[fk])
        bSeam = true;
    }
    if (bSeam) edges.seams.Append(line);
  }
}

} // namespace rhino_sdk_internal
