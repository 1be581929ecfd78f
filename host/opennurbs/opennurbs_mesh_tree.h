#pragma once
// ON_MeshTree: a bounding-volume hierarchy over the faces of one mesh.
//
// Built once from the mesh's current arrays by ON_Mesh::MeshTree(true) and
// then only read, so any number of threads may query it. Queries report
// faces whose boxes meet the query (touching counts); callers refine with
// exact tests. The mesh must outlive the tree and stay unchanged.

#include "opennurbs_array.h"
#include "opennurbs_bounding_box.h"
#include "opennurbs_plane.h"

class ON_Mesh;

struct ON_CLASS ON_MeshTreeRayHit {
  int m_face_index = -1;
  double m_t = 0.0;   // ray / line parameter of the hit
  double m_u = 0.0;   // barycentric weights of the hit triangle's
  double m_v = 0.0;   // corners 1 and 2 (corner 0 gets 1-u-v)
  int m_triangle = 0; // 0: corners (0,1,2); 1: a quad's (0,2,3)
};

class ON_CLASS ON_MeshTree {
public:
  explicit ON_MeshTree(const ON_Mesh& mesh);
  ON_MeshTree(const ON_MeshTree&) = delete;
  ON_MeshTree& operator=(const ON_MeshTree&) = delete;

  const ON_Mesh* Mesh() const { return m_mesh; }
  ON_BoundingBox BoundingBox() const;
  int NodeCount() const { return m_nodes.Count(); }
  // Faces taken into the tree (faces with out-of-range indices are left out).
  int FaceCount() const { return m_face_order.Count(); }

  // Appends the indices of faces whose boxes meet box; returns how many
  // were appended.
  int GetFacesInBox(const ON_BoundingBox& box, ON_SimpleArray<int>& face_indices) const;
  // Calls callback for each face whose box meets box until it returns
  // false. Returns false when the callback stopped the search.
  bool Search(const ON_BoundingBox& box, bool (*callback)(void* context, int face_index),
              void* context) const;
  // Intersections of the line (parameters t in [t0, t1]; pass
  // -ON_DBL_MAX and ON_DBL_MAX for an infinite line) with the
  // faces' triangles, appended in no particular order. Returns how many.
  int IntersectLine(const ON_Line& line, double t0, double t1,
                    ON_SimpleArray<ON_MeshTreeRayHit>& hits) const;

  unsigned int SizeOf() const;

private:
  struct Node {
    ON_BoundingBox box;
    int first = 0;  // leaf: first position in m_face_order; inner: left child node
    int count = 0;  // leaf: face count (> 0); inner: 0
    int right = -1; // inner: right child node
  };
  int Build(int begin, int end, ON_SimpleArray<ON_BoundingBox>& face_boxes,
            ON_SimpleArray<ON_3dPoint>& centers);

  const ON_Mesh* m_mesh;
  ON_SimpleArray<Node> m_nodes;
  ON_SimpleArray<int> m_face_order;
};
