// Bounding-volume hierarchy over mesh faces: nodes split at the median
// face centre along the widest axis, leaves of up to four faces. Nodes and
// the face order are flat arrays; queries walk an explicit stack.

#include "opennurbs_mesh_tree.h"

#include <algorithm>
#include <cmath>

#include "opennurbs_mesh.h"

namespace {

constexpr int kLeafSize = 4;

bool FaceInRange(const ON_MeshFace& f, int vc) {
  for (int k = 0; k < 4; ++k)
    if (f.vi[k] < 0 || f.vi[k] >= vc) return false;
  return true;
}

// Slab test of the line segment [t0, t1] against the box.
bool LineHitsBox(const ON_3dPoint& p, const ON_3dVector& d, double t0, double t1,
                 const ON_BoundingBox& b) {
  for (int i = 0; i < 3; ++i) {
    if (d[i] == 0.0) {
      if (p[i] < b.m_min[i] || p[i] > b.m_max[i]) return false;
      continue;
    }
    double a = (b.m_min[i] - p[i]) / d[i];
    double c = (b.m_max[i] - p[i]) / d[i];
    if (a > c) std::swap(a, c);
    t0 = std::max(t0, a);
    t1 = std::min(t1, c);
    if (t0 > t1) return false;
  }
  return true;
}

// Moller-Trumbore on the infinite line p + t d; false for a parallel or
// degenerate triangle.
bool LineTriangle(const ON_3dPoint& p, const ON_3dVector& d, const ON_3dPoint& a,
                  const ON_3dPoint& b, const ON_3dPoint& c, double& t, double& u, double& v) {
  const ON_3dVector e1 = b - a, e2 = c - a;
  const ON_3dVector h = ON_CrossProduct(d, e2);
  const double det = e1 * h;
  const double scale = e1.Length() * e2.Length() * d.Length();
  if (!(std::fabs(det) > 1e-14 * scale)) return false;
  const double inv = 1.0 / det;
  const ON_3dVector s = p - a;
  u = (s * h) * inv;
  if (u < 0.0 || u > 1.0) return false;
  const ON_3dVector q = ON_CrossProduct(s, e1);
  v = (d * q) * inv;
  if (v < 0.0 || u + v > 1.0) return false;
  t = (e2 * q) * inv;
  return std::isfinite(t);
}

} // namespace

ON_MeshTree::ON_MeshTree(const ON_Mesh& mesh) : m_mesh(&mesh) {
  const int vc = mesh.m_V.Count();
  const int fc = mesh.m_F.Count();
  ON_SimpleArray<ON_BoundingBox> face_boxes;
  ON_SimpleArray<ON_3dPoint> centers;
  face_boxes.SetCount(fc);
  centers.SetCount(fc);
  m_face_order.Reserve(fc);
  for (int fi = 0; fi < fc; ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    if (!FaceInRange(f, vc)) continue;
    ON_BoundingBox b;
    for (int k = 0; k < 4; ++k)
      b.Set(ON_3dPoint(mesh.m_V[f.vi[k]]), true);
    if (!b.IsValid()) continue; // non-finite corners
    face_boxes[fi] = b;
    centers[fi] = b.Center();
    m_face_order.Append(fi);
  }
  if (m_face_order.Count() > 0) {
    m_nodes.Reserve(2 * (m_face_order.Count() / kLeafSize + 1));
    Build(0, m_face_order.Count(), face_boxes, centers);
  }
}

int ON_MeshTree::Build(int begin, int end, ON_SimpleArray<ON_BoundingBox>& face_boxes,
                       ON_SimpleArray<ON_3dPoint>& centers) {
  const int node_index = m_nodes.Count();
  m_nodes.AppendNew();
  ON_BoundingBox box, cbox;
  for (int i = begin; i < end; ++i) {
    box.Union(face_boxes[m_face_order[i]]);
    cbox.Set(centers[m_face_order[i]], true);
  }
  m_nodes[node_index].box = box;
  if (end - begin <= kLeafSize) {
    m_nodes[node_index].first = begin;
    m_nodes[node_index].count = end - begin;
    return node_index;
  }
  const ON_3dVector ext = cbox.Diagonal();
  const int axis = (ext.x >= ext.y && ext.x >= ext.z) ? 0 : (ext.y >= ext.z ? 1 : 2);
  const int mid = begin + (end - begin) / 2;
  int* fo = m_face_order.Array();
  std::nth_element(fo + begin, fo + mid, fo + end, [&](int a, int b) {
    const double ca = centers[a][axis], cb = centers[b][axis];
    return ca != cb ? ca < cb : a < b;
  });
  const int left = Build(begin, mid, face_boxes, centers);
  const int right = Build(mid, end, face_boxes, centers);
  m_nodes[node_index].first = left;
  m_nodes[node_index].count = 0;
  m_nodes[node_index].right = right;
  return node_index;
}

ON_BoundingBox ON_MeshTree::BoundingBox() const {
  return m_nodes.Count() > 0 ? m_nodes[0].box : ON_BoundingBox();
}

bool ON_MeshTree::Search(const ON_BoundingBox& box, bool (*callback)(void*, int),
                         void* context) const {
  if (callback == nullptr || m_nodes.Count() == 0 || !box.IsValid()) return true;
  int stack[128];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& n = m_nodes[stack[--top]];
    if (!n.box.Intersects(box)) continue;
    if (n.count > 0) {
      for (int i = n.first; i < n.first + n.count; ++i) {
        const int fi = m_face_order[i];
        const ON_MeshFace& f = m_mesh->m_F[fi];
        ON_BoundingBox fb;
        for (int k = 0; k < 4; ++k)
          fb.Set(ON_3dPoint(m_mesh->m_V[f.vi[k]]), true);
        if (fb.Intersects(box) && !callback(context, fi)) return false;
      }
    } else if (top + 2 <= 128) {
      stack[top++] = n.right;
      stack[top++] = n.first;
    }
  }
  return true;
}

int ON_MeshTree::GetFacesInBox(const ON_BoundingBox& box, ON_SimpleArray<int>& face_indices) const {
  const int before = face_indices.Count();
  Search(
      box,
      [](void* ctx, int fi) {
        static_cast<ON_SimpleArray<int>*>(ctx)->Append(fi);
        return true;
      },
      &face_indices);
  return face_indices.Count() - before;
}

int ON_MeshTree::IntersectLine(const ON_Line& line, double t0, double t1,
                               ON_SimpleArray<ON_MeshTreeRayHit>& hits) const {
  const int before = hits.Count();
  const ON_3dVector d = line.to - line.from;
  if (m_nodes.Count() == 0 || d.IsZero() || !(t0 <= t1)) return 0;
  int stack[128];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& n = m_nodes[stack[--top]];
    if (!LineHitsBox(line.from, d, t0, t1, n.box)) continue;
    if (n.count == 0) {
      if (top + 2 <= 128) {
        stack[top++] = n.right;
        stack[top++] = n.first;
      }
      continue;
    }
    for (int i = n.first; i < n.first + n.count; ++i) {
      const int fi = m_face_order[i];
      const ON_MeshFace& f = m_mesh->m_F[fi];
      const ON_3dPoint a = m_mesh->m_V[f.vi[0]], b = m_mesh->m_V[f.vi[1]], c = m_mesh->m_V[f.vi[2]];
      double t, u, v;
      if (LineTriangle(line.from, d, a, b, c, t, u, v) && t >= t0 && t <= t1)
        hits.Append(ON_MeshTreeRayHit{fi, t, u, v, 0});
      if (f.IsQuad()) {
        const ON_3dPoint e = m_mesh->m_V[f.vi[3]];
        if (LineTriangle(line.from, d, a, c, e, t, u, v) && t >= t0 && t <= t1)
          hits.Append(ON_MeshTreeRayHit{fi, t, u, v, 1});
      }
    }
  }
  return hits.Count() - before;
}

unsigned int ON_MeshTree::SizeOf() const {
  return static_cast<unsigned int>(sizeof(*this) + m_nodes.SizeOfArray() +
                                   m_face_order.SizeOfArray());
}
