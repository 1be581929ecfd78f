#pragma once
// ON_MeshTopology: vertices, edges and faces of a mesh as connected
// elements.
//
//   topology vertex  mesh vertices at the same location (exact float match)
//                    merged into one; m_topv_map takes a mesh vertex to it
//   topology edge    an unordered pair of topology vertices joined by at
//                    least one face side, with the list of faces using it
//   topology face    one per mesh face: its k-th edge joins corner k-1 and
//                    corner k (corner before k is (k + n - 1) mod n, n = 3 or
//                    4). m_reve[k] is 0 when the edge runs from corner k-1's
//                    topology vertex to corner k's (m_topvi[0] -> m_topvi[1])
//                    and 1 when it runs the other way. A triangle repeats
//                    its third edge in slot 3.
//
// Edges are numbered in order of first use, walking the faces in order and
// each face's edges k = 0..n-1; an edge's face list is in face order (a face
// appears twice if two of its sides are the same edge). A face with an
// out-of-range vertex index gets no edges (m_topei all -1) and appears in
// no list. Built once by ON_Mesh::Topology(), then only read; the lists are
// pointers into pools owned by this object, so it is neither copyable nor
// movable.

#include "opennurbs_array.h"
#include "opennurbs_defines.h"
#include "opennurbs_point.h"

class ON_Mesh;

struct ON_CLASS ON_MeshTopologyVertex {
  int m_tope_count = 0;         // edges meeting here
  const int* m_topei = nullptr; // their indices, in edge order
  int m_v_count = 0;            // mesh vertices merged here (>= 1)
  const int* m_vi = nullptr;    // their indices, ascending
};

struct ON_CLASS ON_MeshTopologyEdge {
  int m_topvi[2] = {-1, -1};    // topology vertices; m_topvi[0] is the
                                // start of the side that created the edge
  int m_topf_count = 0;         // faces using the edge
  const int* m_topfi = nullptr; // their indices
};

struct ON_CLASS ON_MeshTopologyFace {
  int m_topei[4] = {-1, -1, -1, -1};
  char m_reve[4] = {0, 0, 0, 0};
  bool IsTriangle() const { return m_topei[2] == m_topei[3] && m_topei[0] >= 0; }
  bool IsQuad() const { return m_topei[2] != m_topei[3] && m_topei[0] >= 0; }
  bool IsValid() const { return m_topei[0] >= 0; }
};

class ON_CLASS ON_MeshTopology {
public:
  // Builds the topology of mesh; the mesh must outlive this object.
  explicit ON_MeshTopology(const ON_Mesh& mesh);
  ON_MeshTopology(const ON_MeshTopology&) = delete;
  ON_MeshTopology& operator=(const ON_MeshTopology&) = delete;

  const ON_Mesh* m_mesh;
  ON_SimpleArray<int> m_topv_map; // mesh vertex -> topology vertex
  ON_SimpleArray<ON_MeshTopologyVertex> m_topv;
  ON_SimpleArray<ON_MeshTopologyEdge> m_tope;
  ON_SimpleArray<ON_MeshTopologyFace> m_topf; // one per mesh face

  int TopVertexCount() const { return m_topv.Count(); }
  int TopEdgeCount() const { return m_tope.Count(); }
  int TopFaceCount() const { return m_topf.Count(); }
  // Location of topology vertex i (its first mesh vertex).
  ON_3dPoint TopVertexPoint(int topvi) const;
  // Index of the edge joining the two topology vertices, or -1.
  int TopEdge(int topvi0, int topvi1) const;
  // The face's corners as topology vertices (triangles repeat slot 2);
  // false for a face without topology.
  bool GetTopFaceVertices(int topfi, int topvi[4]) const;
  // Edges with exactly one face.
  int NakedEdgeCount() const;
  // Every edge has two or more faces (and there is at least one edge).
  bool IsClosed() const;
  // Bytes held, for SizeOf accounting.
  unsigned int SizeOf() const;

private:
  ON_SimpleArray<int> m_vertex_pool; // m_topv[*].m_vi
  ON_SimpleArray<int> m_vedge_pool;  // m_topv[*].m_topei
  ON_SimpleArray<int> m_face_pool;   // m_tope[*].m_topfi
};
