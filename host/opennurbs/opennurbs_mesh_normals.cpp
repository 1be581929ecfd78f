// Face and vertex normals, orientation flipping, area and volume.

#include <cmath>

#include "opennurbs_mesh.h"

namespace {

// Twice the area vector of the face: for a quad the cross product of its
// diagonals, which is exact for planar quads and a fair average otherwise.
ON_3dVector AreaVector2(const ON_Mesh& m, const ON_MeshFace& f) {
  const ON_3dPoint p0 = m.m_V[f.vi[0]], p1 = m.m_V[f.vi[1]], p2 = m.m_V[f.vi[2]];
  if (f.IsTriangle()) return ON_CrossProduct(p1 - p0, p2 - p0);
  const ON_3dPoint p3 = m.m_V[f.vi[3]];
  return ON_CrossProduct(p2 - p0, p3 - p1);
}

bool FaceInRange(const ON_MeshFace& f, int vc) {
  for (int k = 0; k < 4; ++k)
    if (f.vi[k] < 0 || f.vi[k] >= vc) return false;
  return true;
}

} // namespace

bool ON_Mesh::ComputeFaceNormals() {
  const int fc = m_F.Count();
  if (fc == 0) return false;
  const int vc = m_V.Count();
  m_FN.SetCount(fc);
  for (int i = 0; i < fc; ++i) {
    ON_3dVector n;
    if (FaceInRange(m_F[i], vc)) {
      n = AreaVector2(*this, m_F[i]);
      if (!n.Unitize()) n = ON_3dVector::ZeroVector;
    }
    m_FN[i] = ON_3fVector(n);
  }
  NewContentSerialNumber();
  return true;
}

bool ON_Mesh::ComputeVertexNormals() {
  const int fc = m_F.Count(), vc = m_V.Count();
  if (fc == 0 || vc == 0) return false;
  ON_SimpleArray<ON_3dVector> sum;
  sum.SetCount(vc); // zeroed
  for (const ON_MeshFace& f : m_F) {
    if (!FaceInRange(f, vc)) continue;
    const ON_3dVector a = AreaVector2(*this, f); // length ~ area: area weighting
    const int n = f.CornerCount();
    for (int k = 0; k < n; ++k)
      sum[f.vi[k]] += a;
  }
  m_N.SetCount(vc);
  for (int i = 0; i < vc; ++i) {
    ON_3dVector n = sum[i];
    if (!n.Unitize()) n = ON_3dVector::ZeroVector;
    m_N[i] = ON_3fVector(n);
  }
  NewContentSerialNumber();
  return true;
}

void ON_Mesh::Flip() {
  for (ON_MeshFace& f : m_F) {
    if (f.IsTriangle()) {
      std::swap(f.vi[1], f.vi[2]);
      f.vi[3] = f.vi[2];
    } else {
      std::swap(f.vi[1], f.vi[3]);
    }
  }
  for (ON_3fVector& n : m_N)
    n = ON_3fVector(-n.x, -n.y, -n.z);
  for (ON_3fVector& n : m_FN)
    n = ON_3fVector(-n.x, -n.y, -n.z);
  DestroyRuntimeCache(true);
}

double ON_Mesh::Area() const {
  const int vc = m_V.Count();
  double area = 0.0;
  for (const ON_MeshFace& f : m_F) {
    if (!FaceInRange(f, vc)) continue;
    const ON_3dPoint p0 = m_V[f.vi[0]], p1 = m_V[f.vi[1]], p2 = m_V[f.vi[2]];
    area += 0.5 * ON_CrossProduct(p1 - p0, p2 - p0).Length();
    if (f.IsQuad()) {
      const ON_3dPoint p3 = m_V[f.vi[3]];
      area += 0.5 * ON_CrossProduct(p2 - p0, p3 - p0).Length();
    }
  }
  return area;
}

double ON_Mesh::Volume() const {
  // Divergence theorem over triangles, relative to the box centre to keep
  // the sum well conditioned far from the origin.
  const int vc = m_V.Count();
  const ON_3dPoint c = BoundingBox().IsValid() ? BoundingBox().Center() : ON_3dPoint::Origin;
  double six_v = 0.0;
  for (const ON_MeshFace& f : m_F) {
    if (!FaceInRange(f, vc)) continue;
    const ON_3dVector a = ON_3dPoint(m_V[f.vi[0]]) - c;
    const ON_3dVector b = ON_3dPoint(m_V[f.vi[1]]) - c;
    const ON_3dVector d = ON_3dPoint(m_V[f.vi[2]]) - c;
    six_v += a * ON_CrossProduct(b, d);
    if (f.IsQuad()) {
      const ON_3dVector e = ON_3dPoint(m_V[f.vi[3]]) - c;
      six_v += a * ON_CrossProduct(d, e);
    }
  }
  return six_v / 6.0;
}
