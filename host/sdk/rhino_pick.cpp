// Pick contexts (hit tests of meshes and segments against a pick line)
// and the pick-filter registry.

#include "rhino_pick.h"

#include <algorithm>
#include <cmath>

namespace {

std::vector<CRhinoPickFilter*>& FilterRegistry() {
  // Never destroyed: static filters of other libraries unregister late.
  static std::vector<CRhinoPickFilter*>* filters = new std::vector<CRhinoPickFilter*>();
  return *filters;
}

// Ray-triangle intersection (Moller-Trumbore) of the pick line; t is the
// line parameter, (u, v) the barycentric coordinates of corners 1 and 2.
bool IntersectTriangle(const ON_Line& line, const ON_3dPoint& a, const ON_3dPoint& b,
                       const ON_3dPoint& c, double& t, double& u, double& v) {
  const ON_3dVector dir = line.to - line.from;
  const ON_3dVector e1 = b - a, e2 = c - a;
  const ON_3dVector p = ON_CrossProduct(dir, e2);
  const double det = e1 * p;
  const double scale = e1.Length() * e2.Length() * dir.Length();
  if (!(scale > 0.0) || std::fabs(det) <= 1e-14 * scale) return false;
  const double inv = 1.0 / det;
  const ON_3dVector s = line.from - a;
  u = (s * p) * inv;
  if (u < -1e-12 || u > 1.0 + 1e-12) return false;
  const ON_3dVector q = ON_CrossProduct(s, e1);
  v = (dir * q) * inv;
  if (v < -1e-12 || u + v > 1.0 + 1e-12) return false;
  t = (e2 * q) * inv;
  return t >= 0.0 && t <= 1.0;
}

} // namespace

bool CRhinoPickContext::SetPickPoint(const ON_Viewport& vp, double x, double y,
                                     double pixel_tolerance) {
  if (!vp.IsValid()) return false;
  ON_Line line;
  if (!vp.GetFrustumLine(x, y, line)) return false;
  m_vp = vp;
  m_pick_line = line;
  m_pick_x = x;
  m_pick_y = y;
  m_pixel_tolerance = pixel_tolerance > 0.0 ? pixel_tolerance : 0.0;
  return true;
}

bool CRhinoPickContext::PickSegment(const ON_3dPoint& from, const ON_3dPoint& to,
                                    ON_3dPoint* hit_point, double* depth,
                                    double* pixel_distance) const {
  ON_3dPoint s0, s1;
  if (!m_vp.GetScreenCoordinates(from, s0) || !m_vp.GetScreenCoordinates(to, s1)) return false;
  // Closest point of the screen segment to the pick pixel.
  const double dx = s1.x - s0.x, dy = s1.y - s0.y;
  const double len2 = dx * dx + dy * dy;
  double t = 0.0;
  if (len2 > 0.0)
    t = std::clamp(((m_pick_x - s0.x) * dx + (m_pick_y - s0.y) * dy) / len2, 0.0, 1.0);
  const double px = s0.x + t * dx, py = s0.y + t * dy;
  const double dist = std::hypot(px - m_pick_x, py - m_pick_y);
  if (dist > m_pixel_tolerance) return false;
  const ON_3dPoint world = from + (to - from) * t;
  if (hit_point) *hit_point = world;
  if (depth) {
    double lt = 0.0;
    m_pick_line.ClosestPointTo(world, &lt);
    *depth = lt;
  }
  if (pixel_distance) *pixel_distance = dist;
  return true;
}

bool CRhinoPickContext::PickMesh(const ON_Mesh* mesh, int mode, ON_3dPoint* hit_point,
                                 double* barycentric, ON_3dVector* face_normal, double* depth,
                                 double* pixel_distance, int* hit_kind, int* face_index) const {
  if (hit_kind) *hit_kind = hit_none;
  if (mesh == nullptr || mesh->FaceCount() == 0 || !m_pick_line.IsValid()) return false;
  const int vcount = mesh->VertexCount();
  bool bHit = false;
  double best = 2.0;
  if (mode == pick_mesh_shaded) {
    for (int fi = 0; fi < mesh->FaceCount(); ++fi) {
      const ON_MeshFace& f = mesh->m_F[fi];
      if (!f.IsValid(vcount)) continue;
      const int tris = f.IsQuad() ? 2 : 1;
      for (int k = 0; k < tris; ++k) {
        const int i0 = f.vi[0], i1 = f.vi[k + 1], i2 = f.vi[k + 2];
        const ON_3dPoint a = mesh->Vertex(i0), b = mesh->Vertex(i1), c = mesh->Vertex(i2);
        double t = 0, u = 0, v = 0;
        if (!IntersectTriangle(m_pick_line, a, b, c, t, u, v) || t >= best) continue;
        best = t;
        bHit = true;
        if (hit_point) *hit_point = m_pick_line.PointAt(t);
        if (barycentric) {
          double w[4] = {1.0 - u - v, 0.0, 0.0, 0.0};
          w[k + 1] = u;
          w[k + 2] = v;
          std::copy(w, w + 4, barycentric);
        }
        if (face_normal) *face_normal = ON_CrossProduct(b - a, c - a).UnitVector();
        if (face_index) *face_index = fi;
      }
    }
    if (bHit) {
      if (depth) *depth = best;
      if (pixel_distance) *pixel_distance = 0.0;
      if (hit_kind) *hit_kind = hit_face;
    }
    return bHit;
  }
  // Wires: the nearest face side within the pixel tolerance.
  double best_dist = m_pixel_tolerance + 1.0;
  for (int fi = 0; fi < mesh->FaceCount(); ++fi) {
    const ON_MeshFace& f = mesh->m_F[fi];
    if (!f.IsValid(vcount)) continue;
    const int n = f.CornerCount();
    for (int k = 0; k < n; ++k) {
      ON_3dPoint p;
      double d = 0, dist = 0;
      if (!PickSegment(mesh->Vertex(f.vi[k]), mesh->Vertex(f.vi[(k + 1) % n]), &p, &d, &dist))
        continue;
      if (dist > best_dist || (dist == best_dist && d >= best)) continue;
      best_dist = dist;
      best = d;
      bHit = true;
      if (hit_point) *hit_point = p;
      if (face_index) *face_index = fi;
    }
  }
  if (bHit) {
    if (depth) *depth = best;
    if (pixel_distance) *pixel_distance = best_dist;
    if (hit_kind) *hit_kind = hit_edge;
    if (barycentric) std::fill(barycentric, barycentric + 4, 0.0);
    if (face_normal) *face_normal = ON_3dVector(0, 0, 0);
  }
  return bHit;
}

// ------------------------------------------------------------- filters

CRhinoPickFilter::CRhinoPickFilter() = default;

CRhinoPickFilter::~CRhinoPickFilter() {
  UnRegister();
}

void CRhinoPickFilter::Register() {
  auto& r = FilterRegistry();
  if (std::find(r.begin(), r.end(), this) == r.end()) r.push_back(this);
}

void CRhinoPickFilter::UnRegister() {
  auto& r = FilterRegistry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

bool CRhinoPickFilter::IsRegistered() const {
  const auto& r = FilterRegistry();
  return std::find(r.begin(), r.end(), this) != r.end();
}

namespace rhino_sdk_internal {

bool RunPickFilters(const CRhinoPickContext& context, const CRhinoObject* object) {
  // A copy: a filter may unregister itself (or another) while being asked.
  const std::vector<CRhinoPickFilter*> filters = FilterRegistry();
  for (CRhinoPickFilter* f : filters) {
    if (!f->IsRegistered()) continue;
    if (!f->AllowPick(context, object, false)) return false;
  }
  return true;
}

} // namespace rhino_sdk_internal
