// The brep stand-in: creation of the analytic solids, adjacency through
// shared edges, connected components, transforms and boxes. Face meshing
// is in opennurbs_brep_mesh.cpp.

#include "opennurbs_brep.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "opennurbs_archive.h"

ON_OBJECT_IMPLEMENT(ON_Brep, ON_Geometry, "EAE48EC6-A24A-4E48-9365-8B45E3B537C5")

namespace {

bool Positive(double v) {
  return v > 0.0 && std::isfinite(v);
}

// Extent of a circle of radius r in a plane with unit normal n, along
// world axis i: r * sqrt(1 - n_i^2).
ON_BoundingBox CircleBox(const ON_Plane& plane, double r, double lift) {
  const ON_3dPoint c = plane.origin + plane.zaxis * lift;
  ON_3dVector ext;
  for (int i = 0; i < 3; ++i)
    ext[i] = r * std::sqrt(std::max(0.0, 1.0 - plane.zaxis[i] * plane.zaxis[i]));
  return ON_BoundingBox(c - ext, c + ext);
}

ON_3dPoint CirclePointAtZero(const ON_Plane& plane, double r, double lift) {
  return plane.origin + plane.xaxis * r + plane.zaxis * lift;
}

} // namespace

// ---- ON_BrepFace ----

ON_BrepFace::ON_BrepFace(const ON_BrepFace& src)
    : m_kind(src.m_kind), m_face_index(src.m_face_index), m_lump_index(src.m_lump_index),
      m_plane(src.m_plane), m_radius(src.m_radius), m_height(src.m_height),
      m_polygon(src.m_polygon), m_ei(src.m_ei), m_bRev(src.m_bRev),
      m_mesh(src.m_mesh ? std::make_unique<ON_Mesh>(*src.m_mesh) : nullptr),
      m_mesh_mp(src.m_mesh_mp) {}

ON_BrepFace& ON_BrepFace::operator=(const ON_BrepFace& src) {
  if (this != &src) {
    ON_BrepFace tmp(src);
    m_kind = tmp.m_kind;
    m_face_index = tmp.m_face_index;
    m_lump_index = tmp.m_lump_index;
    m_plane = tmp.m_plane;
    m_radius = tmp.m_radius;
    m_height = tmp.m_height;
    m_polygon = tmp.m_polygon;
    m_ei = tmp.m_ei;
    m_bRev = tmp.m_bRev;
    m_mesh = std::move(tmp.m_mesh);
    m_mesh_mp = tmp.m_mesh_mp;
  }
  return *this;
}

ON_BoundingBox ON_BrepFace::BoundingBox() const {
  ON_BoundingBox b;
  switch (m_kind) {
  case Kind::planar_polygon:
  case Kind::box_side:
    b.Set(m_polygon.Count(), m_polygon.Array(), false);
    break;
  case Kind::sphere: {
    const ON_3dVector r(m_radius, m_radius, m_radius);
    b = ON_BoundingBox(m_plane.origin - r, m_plane.origin + r);
    break;
  }
  case Kind::cylinder_side:
    b = CircleBox(m_plane, m_radius, 0.0);
    b.Union(CircleBox(m_plane, m_radius, m_height));
    break;
  case Kind::cone_side:
    b = CircleBox(m_plane, m_radius, 0.0);
    b.Set(m_plane.origin + m_plane.zaxis * m_height, true);
    break;
  case Kind::disc:
    b = CircleBox(m_plane, m_radius, 0.0);
    break;
  }
  return b;
}

bool ON_BrepFace::Transform(const ON_Xform& xform) {
  // Analytic faces follow similarity transforms exactly; the radius and
  // height scale by the cube root of the linear part's determinant.
  ON_Xform lin = xform;
  for (int i = 0; i < 3; ++i)
    lin.m_xform[i][3] = lin.m_xform[3][i] = 0.0;
  lin.m_xform[3][3] = 1.0;
  const double det = lin.Determinant();
  if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) return false;
  const double scale = std::cbrt(std::fabs(det));
  const ON_3dPoint o = xform * m_plane.origin;
  ON_3dVector xa = (xform * (m_plane.origin + m_plane.xaxis)) - o;
  ON_3dVector za = (xform * (m_plane.origin + m_plane.zaxis)) - o;
  if (!xa.Unitize() || !za.Unitize()) return false;
  ON_Plane p;
  if (!p.CreateFromFrame(o, xa, ON_CrossProduct(za, xa))) return false;
  m_plane = p;
  m_radius *= scale;
  m_height *= scale;
  for (ON_3dPoint& q : m_polygon)
    q = xform * q;
  // A reflection reverses the polygon's turning; restore counter-clockwise
  // about the outward normal.
  if (det < 0.0) m_polygon.Reverse();
  DestroyMesh();
  return true;
}

double ON_BrepFace::Area() const {
  switch (m_kind) {
  case Kind::sphere:
    return 4.0 * ON_PI * m_radius * m_radius;
  case Kind::cylinder_side:
    return 2.0 * ON_PI * m_radius * m_height;
  case Kind::cone_side:
    return ON_PI * m_radius * std::sqrt(m_radius * m_radius + m_height * m_height);
  case Kind::disc:
    return ON_PI * m_radius * m_radius;
  case Kind::planar_polygon:
  case Kind::box_side: {
    ON_3dVector n; // Newell's formula
    const int c = m_polygon.Count();
    for (int i = 0; i < c; ++i) {
      const ON_3dPoint& a = m_polygon[i];
      const ON_3dPoint& b = m_polygon[(i + 1) % c];
      n += ON_CrossProduct(ON_3dVector(a), ON_3dVector(b));
    }
    return 0.5 * n.Length();
  }
  }
  return 0.0;
}

// ---- ON_Brep: creation ----

int ON_Brep::AddFace(const ON_BrepFace& face) {
  ON_BrepFace& f = m_F.AppendNew();
  f = face;
  f.m_face_index = m_F.Count() - 1;
  f.m_lump_index = std::max(0, m_lump_count - 1);
  return f.m_face_index;
}

int ON_Brep::AddEdge(const ON_3dPoint& start, const ON_3dPoint& end, bool closed, int f0, int f1) {
  ON_BrepEdge& e = m_E.AppendNew();
  e.m_edge_index = m_E.Count() - 1;
  e.m_start = start;
  e.m_end = end;
  e.m_bClosed = closed;
  for (int fi : {f0, f1}) {
    if (fi < 0 || fi >= m_F.Count()) continue;
    e.m_fi.Append(fi);
    m_F[fi].m_ei.Append(e.m_edge_index);
  }
  return e.m_edge_index;
}

ON_Brep* ON_Brep::CreateBox(const ON_3dPoint& a, const ON_3dPoint& b) {
  const ON_3dPoint lo(std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z));
  const ON_3dPoint hi(std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z));
  if (!lo.IsValid() || !hi.IsValid() || !(hi.x > lo.x) || !(hi.y > lo.y) || !(hi.z > lo.z))
    return nullptr;
  const ON_3dPoint c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                           {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                           {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
  return CreateBox(c);
}

ON_Brep* ON_Brep::CreateBox(const ON_3dPoint corners[8]) {
  if (corners == nullptr) return nullptr;
  for (int i = 0; i < 8; ++i)
    if (!corners[i].IsValid()) return nullptr;
  // Faces counter-clockwise seen from outside: bottom, top, then the four
  // sides starting at edge 0-1.
  static const int kFaces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                   {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  auto brep = std::make_unique<ON_Brep>();
  brep->m_lump_count = 1;
  for (const auto& fv : kFaces) {
    ON_BrepFace f;
    f.m_kind = ON_BrepFace::Kind::box_side;
    for (int k = 0; k < 4; ++k)
      f.m_polygon.Append(corners[fv[k]]);
    if (!f.m_plane.CreateFromPoints(corners[fv[0]], corners[fv[1]], corners[fv[3]])) return nullptr;
    brep->AddFace(f);
  }
  // Each of the 12 corner pairs bounds the two faces that contain it.
  for (int fa = 0; fa < 6; ++fa)
    for (int k = 0; k < 4; ++k) {
      const int v0 = kFaces[fa][k], v1 = kFaces[fa][(k + 1) % 4];
      for (int fb = fa + 1; fb < 6; ++fb)
        for (int m = 0; m < 4; ++m)
          if (kFaces[fb][m] == v1 && kFaces[fb][(m + 1) % 4] == v0)
            brep->AddEdge(corners[v0], corners[v1], false, fa, fb);
    }
  return brep.release();
}

ON_Brep* ON_Brep::CreateSphere(const ON_3dPoint& center, double radius) {
  if (!center.IsValid() || !Positive(radius)) return nullptr;
  auto brep = std::make_unique<ON_Brep>();
  brep->m_lump_count = 1;
  ON_BrepFace f;
  f.m_kind = ON_BrepFace::Kind::sphere;
  f.m_plane.CreateFromNormal(center, ON_3dVector::ZAxis);
  f.m_plane.CreateFromFrame(center, ON_3dVector::XAxis, ON_3dVector::YAxis);
  f.m_radius = radius;
  brep->AddFace(f);
  return brep.release();
}

ON_Brep* ON_Brep::CreateCylinder(const ON_Plane& base, double radius, double height, bool bCapped) {
  if (!base.IsValid() || !Positive(radius) || !Positive(height)) return nullptr;
  auto brep = std::make_unique<ON_Brep>();
  brep->m_lump_count = 1;
  ON_BrepFace side;
  side.m_kind = ON_BrepFace::Kind::cylinder_side;
  side.m_plane = base;
  side.m_radius = radius;
  side.m_height = height;
  const int fs = brep->AddFace(side);
  int fb = -1, ft = -1;
  if (bCapped) {
    ON_BrepFace bottom;
    bottom.m_kind = ON_BrepFace::Kind::disc;
    bottom.m_plane = base;
    bottom.m_radius = radius;
    bottom.m_bRev = true; // faces down, away from the solid
    fb = brep->AddFace(bottom);
    ON_BrepFace top;
    top.m_kind = ON_BrepFace::Kind::disc;
    top.m_plane = base;
    top.m_plane.origin = base.origin + base.zaxis * height;
    top.m_plane.UpdateEquation();
    top.m_radius = radius;
    ft = brep->AddFace(top);
  }
  const ON_3dPoint p0 = CirclePointAtZero(base, radius, 0.0);
  const ON_3dPoint p1 = CirclePointAtZero(base, radius, height);
  brep->AddEdge(p0, p0, true, fs, fb);
  brep->AddEdge(p1, p1, true, fs, ft);
  return brep.release();
}

ON_Brep* ON_Brep::CreateCone(const ON_Plane& base, double radius, double height, bool bCapped) {
  if (!base.IsValid() || !Positive(radius) || !Positive(height)) return nullptr;
  auto brep = std::make_unique<ON_Brep>();
  brep->m_lump_count = 1;
  ON_BrepFace side;
  side.m_kind = ON_BrepFace::Kind::cone_side;
  side.m_plane = base;
  side.m_radius = radius;
  side.m_height = height;
  const int fs = brep->AddFace(side);
  int fb = -1;
  if (bCapped) {
    ON_BrepFace bottom;
    bottom.m_kind = ON_BrepFace::Kind::disc;
    bottom.m_plane = base;
    bottom.m_radius = radius;
    bottom.m_bRev = true;
    fb = brep->AddFace(bottom);
  }
  const ON_3dPoint p0 = CirclePointAtZero(base, radius, 0.0);
  brep->AddEdge(p0, p0, true, fs, fb);
  return brep.release();
}

ON_Brep* ON_Brep::CreatePlanarSurface(const ON_Plane& plane, double width, double height) {
  if (!plane.IsValid() || !Positive(width) || !Positive(height)) return nullptr;
  ON_SimpleArray<ON_3dPoint> poly;
  poly.Append(plane.PointAt(0.0, 0.0));
  poly.Append(plane.PointAt(width, 0.0));
  poly.Append(plane.PointAt(width, height));
  poly.Append(plane.PointAt(0.0, height));
  auto brep = std::unique_ptr<ON_Brep>(CreatePlanarPolygon(poly));
  if (brep) brep->m_F[0].m_plane = plane;
  return brep.release();
}

ON_Brep* ON_Brep::CreatePlanarPolygon(const ON_SimpleArray<ON_3dPoint>& polygon_in) {
  ON_SimpleArray<ON_3dPoint> poly;
  for (const ON_3dPoint& p : polygon_in) {
    if (!p.IsValid()) return nullptr;
    if (poly.Count() == 0 || !(*poly.Last() == p)) poly.Append(p);
  }
  while (poly.Count() > 1 && *poly.Last() == poly[0])
    poly.Remove();
  if (poly.Count() < 3) return nullptr;
  // Newell normal: robust for non-convex polygons.
  ON_3dVector n;
  for (int i = 0; i < poly.Count(); ++i)
    n += ON_CrossProduct(ON_3dVector(poly[i]), ON_3dVector(poly[(i + 1) % poly.Count()]));
  ON_Plane plane;
  ON_3dVector xdir = poly[1] - poly[0];
  if (!n.Unitize()) return nullptr;
  xdir = xdir - n * (xdir * n);
  if (!plane.CreateFromFrame(poly[0], xdir, ON_CrossProduct(n, xdir))) return nullptr;
  ON_BoundingBox box;
  box.Set(poly.Count(), poly.Array(), false);
  const double tol = 1e-9 * std::max(1.0, box.Diagonal().Length());
  for (const ON_3dPoint& p : poly)
    if (std::fabs(plane.DistanceTo(p)) > tol) return nullptr;
  auto brep = std::make_unique<ON_Brep>();
  brep->m_lump_count = 1;
  ON_BrepFace f;
  f.m_kind = ON_BrepFace::Kind::planar_polygon;
  f.m_plane = plane;
  f.m_polygon = poly;
  const int fi = brep->AddFace(f);
  for (int i = 0; i < poly.Count(); ++i)
    brep->AddEdge(poly[i], poly[(i + 1) % poly.Count()], false, fi, -1);
  return brep.release();
}

// ---- ON_Brep: object ----

bool ON_Brep::IsValid(ON_TextLog*) const {
  if (m_F.Count() == 0) return false;
  for (const ON_BrepEdge& e : m_E)
    for (int fi : e.m_fi)
      if (fi < 0 || fi >= m_F.Count()) return false;
  return true;
}

void ON_Brep::Dump(ON_TextLog& log) const {
  log.Print("ON_Brep: %d faces, %d edges, %d lumps%s\n", FaceCount(), EdgeCount(), LumpCount(),
            IsSolid() ? ", solid" : "");
}

unsigned int ON_Brep::SizeOf() const {
  size_t sz = ON_Geometry::SizeOf() + (sizeof(ON_Brep) - sizeof(ON_Geometry));
  for (const ON_BrepFace& f : m_F) {
    sz += sizeof(ON_BrepFace) + f.m_polygon.SizeOfArray() + f.m_ei.SizeOfArray();
    if (f.CachedMesh()) sz += f.CachedMesh()->SizeOf();
  }
  for (const ON_BrepEdge& e : m_E)
    sz += sizeof(ON_BrepEdge) + e.m_fi.SizeOfArray();
  return static_cast<unsigned int>(sz);
}

ON::object_type ON_Brep::ObjectType() const {
  return ON::brep_object;
}

void ON_Brep::DestroyRuntimeCache(bool) {
  for (const ON_BrepFace& f : m_F)
    f.DestroyMesh();
}

bool ON_Brep::GetBBox(ON_BoundingBox& bbox, bool bGrowBox) const {
  ON_BoundingBox b;
  for (const ON_BrepFace& f : m_F)
    b.Union(f.BoundingBox());
  if (bGrowBox) {
    bbox.Union(b);
  } else {
    bbox = b;
  }
  return bbox.IsValid();
}

bool ON_Brep::Transform(const ON_Xform& xform) {
  if (!xform.IsValid()) return false;
  ON_Brep moved(*this);
  for (ON_BrepFace& f : moved.m_F)
    if (!f.Transform(xform)) return false;
  for (ON_BrepEdge& e : moved.m_E) {
    e.m_start = xform * e.m_start;
    e.m_end = xform * e.m_end;
  }
  m_F = moved.m_F;
  m_E = moved.m_E;
  return ON_Geometry::Transform(xform);
}

bool ON_Brep::Append(const ON_Brep& other_in) {
  if (&other_in == this) {
    const ON_Brep copy(*this);
    return Append(copy);
  }
  const int f0 = m_F.Count(), e0 = m_E.Count(), l0 = m_lump_count;
  for (const ON_BrepFace& src : other_in.m_F) {
    ON_BrepFace& f = m_F.AppendNew();
    f = src;
    f.m_face_index += f0;
    f.m_lump_index += l0;
    for (int& ei : f.m_ei)
      ei += e0;
  }
  for (const ON_BrepEdge& src : other_in.m_E) {
    ON_BrepEdge& e = m_E.AppendNew();
    e = src;
    e.m_edge_index += e0;
    for (int& fi : e.m_fi)
      fi += f0;
  }
  m_lump_count += other_in.m_lump_count;
  return true;
}

void ON_Brep::Destroy() {
  m_F.Destroy();
  m_E.Destroy();
  m_lump_count = 0;
}

bool ON_Brep::IsSolid() const {
  if (m_F.Count() == 0) return false;
  for (const ON_BrepEdge& e : m_E)
    if (e.m_fi.Count() != 2) return false;
  return true;
}

int ON_Brep::NakedEdgeCount() const {
  int n = 0;
  for (const ON_BrepEdge& e : m_E)
    n += e.IsNaked() ? 1 : 0;
  return n;
}

int ON_Brep::GetConnectedComponents(ON_SimpleArray<ON_Brep*>& components,
                                    bool bDuplicateMeshes) const {
  const int fc = m_F.Count();
  if (fc == 0) return 0;
  // Union-find over faces joined by edges.
  ON_SimpleArray<int> parent;
  parent.SetCount(fc);
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&parent](int i) {
    while (parent[i] != i)
      i = parent[i] = parent[parent[i]];
    return i;
  };
  for (const ON_BrepEdge& e : m_E)
    for (int k = 1; k < e.m_fi.Count(); ++k) {
      const int a = find(e.m_fi[0]), b = find(e.m_fi[k]);
      if (a != b) parent[std::max(a, b)] = std::min(a, b);
    }
  // Components in order of their first face.
  ON_SimpleArray<int> comp_of;
  comp_of.SetCount(fc);
  ON_SimpleArray<int> root_comp;
  root_comp.SetCount(fc);
  for (int i = 0; i < fc; ++i)
    root_comp[i] = -1;
  int count = 0;
  for (int i = 0; i < fc; ++i) {
    const int r = find(i);
    if (root_comp[r] < 0) root_comp[r] = count++;
    comp_of[i] = root_comp[r];
  }
  ON_SimpleArray<int> new_face_index, new_edge_index;
  new_face_index.SetCount(fc);
  new_edge_index.SetCount(m_E.Count());
  for (int c = 0; c < count; ++c) {
    auto piece = std::make_unique<ON_Brep>();
    piece->m_lump_count = 1;
    for (int i = 0; i < fc; ++i) {
      if (comp_of[i] != c) continue;
      new_face_index[i] = piece->m_F.Count();
      ON_BrepFace& f = piece->m_F.AppendNew();
      f = m_F[i];
      f.m_face_index = new_face_index[i];
      f.m_lump_index = 0;
      f.m_ei.Empty();
      if (!bDuplicateMeshes) f.DestroyMesh();
    }
    for (int ei = 0; ei < m_E.Count(); ++ei) {
      const ON_BrepEdge& src = m_E[ei];
      if (src.m_fi.Count() == 0 || comp_of[src.m_fi[0]] != c) continue;
      ON_BrepEdge& e = piece->m_E.AppendNew();
      e = src;
      e.m_edge_index = piece->m_E.Count() - 1;
      new_edge_index[ei] = e.m_edge_index;
      for (int& fi : e.m_fi) {
        fi = new_face_index[fi];
        piece->m_F[fi].m_ei.Append(e.m_edge_index);
      }
    }
    components.Append(piece.release());
  }
  return count;
}

double ON_Brep::Area() const {
  double a = 0.0;
  for (const ON_BrepFace& f : m_F)
    a += f.Area();
  return a;
}
