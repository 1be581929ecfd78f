// An edge's end points are the first mesh vertex of each of its topology
// vertices. A seam is drawn only where the two faces meeting at the edge
// use different mesh vertices at both of its ends: faces that share a
// vertex index there are welded, whatever the topology merged.

#include "mesh_outline.h"

namespace {

// The corner at which face `face` reaches edge `edge` (its k-th side runs
// from corner k-1 to corner k), or -1 when the face has no such side.
int CornerOfEdge(const ON_MeshTopologyFace& face, int corner_count, int edge) {
  for (int k = 0; k < corner_count; ++k)
    if (face.m_topei[k] == edge) return k;
  return -1;
}

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

DS_MeshOutline::DS_MeshOutline(const ON_Mesh& mesh) {
  if (mesh.FaceCount() == 0) return;
  const ON_MeshTopology& top = mesh.Topology();
  for (int e = 0; e < top.m_tope.Count(); ++e) {
    const ON_MeshTopologyEdge& edge = top.m_tope[e];
    const ON_MeshTopologyVertex& v0 = top.m_topv[edge.m_topvi[0]];
    const ON_MeshTopologyVertex& v1 = top.m_topv[edge.m_topvi[1]];
    bool bNaked = edge.m_topf_count == 1;
    if (!bNaked) {
      if (edge.m_topf_count < 2 || v0.m_v_count <= 1 || v1.m_v_count <= 1) continue;
      const int f0 = edge.m_topfi[0];
      const int f1 = edge.m_topfi[1];
      if (f0 == f1 || !IsUnweldedSeam(mesh, top, e, f0, f1)) continue;
    }
    m_segments.push_back({mesh.Vertex(v0.m_vi[0]), mesh.Vertex(v1.m_vi[0]), bNaked});
    if (bNaked) ++m_naked_count;
  }
}

unsigned int DS_MeshOutline::SizeOfSegments() const {
  return static_cast<unsigned int>(m_segments.capacity() * sizeof(Segment));
}
