// Render meshes of brep faces.
//
// Faces that share an edge must produce bit-identical vertices along it,
// so points on shared boundaries are computed by one function each
// (CirclePoint for circles, EdgePoint for straight sides) with the same
// segment counts on both sides; welding then closes a solid's mesh.

#include <algorithm>
#include <cmath>

#include "opennurbs_brep.h"

namespace {

int RoundUp4(int n) {
  return ((n + 3) / 4) * 4;
}

// Point j of n around the circle of radius r lifted by `lift` along the
// plane normal. j is taken mod n so the seam closes exactly.
ON_3dPoint CirclePoint(const ON_Plane& plane, double r, int j, int n, double lift) {
  j %= n;
  const double a = 2.0 * ON_PI * j / n;
  return plane.origin + plane.xaxis * (r * std::cos(a)) + plane.yaxis * (r * std::sin(a)) +
         plane.zaxis * lift;
}

bool LexLess(const ON_3dPoint& a, const ON_3dPoint& b) {
  if (a.x != b.x) return a.x < b.x;
  if (a.y != b.y) return a.y < b.y;
  return a.z < b.z;
}

// Point i of n along a straight side, evaluated from the side's smaller end
// so both faces using the side get identical points.
ON_3dPoint EdgePoint(const ON_3dPoint& p, const ON_3dPoint& q, int i, int n) {
  if (i == 0) return p;
  if (i == n) return q;
  if (LexLess(q, p)) return EdgePoint(q, p, n - i, n);
  const double t = static_cast<double>(i) / n;
  return p + (q - p) * t;
}

void MeshQuadGrid(const ON_BrepFace& f, const ON_MeshParameters& mp, ON_Mesh& m) {
  const ON_3dPoint& p00 = f.m_polygon[0];
  const ON_3dPoint& p10 = f.m_polygon[1];
  const ON_3dPoint& p11 = f.m_polygon[2];
  const ON_3dPoint& p01 = f.m_polygon[3];
  // Opposite sides of a box face have equal lengths, so the counts of a
  // side agree with the neighbour's count along the same side.
  const int nu = mp.LineSegmentCount(std::max(p00.DistanceTo(p10), p01.DistanceTo(p11)));
  const int nv = mp.LineSegmentCount(std::max(p00.DistanceTo(p01), p10.DistanceTo(p11)));
  for (int j = 0; j <= nv; ++j)
    for (int i = 0; i <= nu; ++i) {
      ON_3dPoint p;
      if (j == 0) {
        p = EdgePoint(p00, p10, i, nu);
      } else if (j == nv) {
        p = EdgePoint(p01, p11, i, nu);
      } else if (i == 0) {
        p = EdgePoint(p00, p01, j, nv);
      } else if (i == nu) {
        p = EdgePoint(p10, p11, j, nv);
      } else {
        const ON_3dPoint a = EdgePoint(p00, p10, i, nu), b = EdgePoint(p01, p11, i, nu);
        p = EdgePoint(a, b, j, nv);
      }
      m.m_V.Append(ON_3fPoint(p));
    }
  for (int j = 0; j < nv; ++j)
    for (int i = 0; i < nu; ++i) {
      const int a = j * (nu + 1) + i;
      m.m_F.Append(ON_MeshFace{{a, a + 1, a + nu + 2, a + nu + 1}});
    }
}

// Ear clipping in the face plane; polygons are small.
void MeshPolygon(const ON_BrepFace& f, ON_Mesh& m) {
  const int n = f.m_polygon.Count();
  for (const ON_3dPoint& p : f.m_polygon)
    m.m_V.Append(ON_3fPoint(p));
  if (n == 4 || n == 3) {
    if (n == 3) {
      m.m_F.Append(ON_MeshFace{{0, 1, 2, 2}});
      return;
    }
  }
  ON_SimpleArray<double> u, v;
  for (const ON_3dPoint& p : f.m_polygon) {
    double s = 0, t = 0;
    f.m_plane.ClosestPointTo(p, &s, &t);
    u.Append(s);
    v.Append(t);
  }
  ON_SimpleArray<int> idx;
  for (int i = 0; i < n; ++i)
    idx.Append(i);
  auto cross = [&](int a, int b, int c) {
    return (u[b] - u[a]) * (v[c] - v[a]) - (v[b] - v[a]) * (u[c] - u[a]);
  };
  auto inside = [&](int p, int a, int b, int c) {
    return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
  };
  int guard = 0;
  while (idx.Count() > 3 && guard++ < 4 * n * n) {
    bool clipped = false;
    for (int k = 0; k < idx.Count(); ++k) {
      const int a = idx[(k + idx.Count() - 1) % idx.Count()], b = idx[k],
                c = idx[(k + 1) % idx.Count()];
      if (cross(a, b, c) <= 0) continue; // reflex or flat corner
      bool ear = true;
      for (int q : idx)
        if (q != a && q != b && q != c && inside(q, a, b, c)) {
          ear = false;
          break;
        }
      if (!ear) continue;
      m.m_F.Append(ON_MeshFace{{a, b, c, c}});
      idx.Remove(k);
      clipped = true;
      break;
    }
    if (!clipped) break; // self-intersecting input: fan the rest
  }
  for (int k = 1; k + 1 < idx.Count(); ++k)
    m.m_F.Append(ON_MeshFace{{idx[0], idx[k], idx[k + 1], idx[k + 1]}});
}

void MeshSphere(const ON_BrepFace& f, const ON_MeshParameters& mp, ON_Mesh& m) {
  const int n = RoundUp4(mp.CircleSegmentCount(f.m_radius));
  const int rings = n / 2; // pole to pole
  const ON_Plane& pl = f.m_plane;
  const double r = f.m_radius;
  m.m_V.Append(ON_3fPoint(pl.origin - pl.zaxis * r)); // south pole: vertex 0
  for (int i = 1; i < rings; ++i) {
    const double phi = -0.5 * ON_PI + ON_PI * i / rings;
    const double rr = r * std::cos(phi);
    for (int j = 0; j < n; ++j) {
      const double a = 2.0 * ON_PI * j / n;
      m.m_V.Append(ON_3fPoint(pl.origin + pl.xaxis * (rr * std::cos(a)) +
                              pl.yaxis * (rr * std::sin(a)) + pl.zaxis * (r * std::sin(phi))));
    }
  }
  const int north = m.m_V.Count();
  m.m_V.Append(ON_3fPoint(pl.origin + pl.zaxis * r));
  auto ring = [n](int i, int j) { return 1 + (i - 1) * n + (j % n); };
  for (int j = 0; j < n; ++j)
    m.m_F.Append(ON_MeshFace{{0, ring(1, j + 1), ring(1, j), ring(1, j)}});
  for (int i = 1; i + 1 < rings; ++i)
    for (int j = 0; j < n; ++j)
      m.m_F.Append(ON_MeshFace{{ring(i, j), ring(i, j + 1), ring(i + 1, j + 1), ring(i + 1, j)}});
  for (int j = 0; j < n; ++j)
    m.m_F.Append(ON_MeshFace{{ring(rings - 1, j), ring(rings - 1, j + 1), north, north}});
  m.m_N.SetCount(m.m_V.Count());
  for (int i = 0; i < m.m_V.Count(); ++i) {
    ON_3dVector d = ON_3dPoint(m.m_V[i]) - pl.origin;
    d.Unitize();
    m.m_N[i] = ON_3fVector(d);
  }
}

// Cylinder (top radius = r) or cone (top radius 0) side.
void MeshSide(const ON_BrepFace& f, const ON_MeshParameters& mp, ON_Mesh& m, bool cone) {
  const int n = RoundUp4(mp.CircleSegmentCount(f.m_radius));
  const double slant = cone ? std::hypot(f.m_radius, f.m_height) : f.m_height;
  const int levels = mp.LineSegmentCount(slant);
  const ON_Plane& pl = f.m_plane;
  const int rows = cone ? levels : levels + 1; // a cone's last level is the apex
  for (int i = 0; i < rows; ++i) {
    const double t = static_cast<double>(i) / levels;
    const double rr = cone ? f.m_radius * (1.0 - t) : f.m_radius;
    const double lift = f.m_height * t;
    for (int j = 0; j < n; ++j)
      m.m_V.Append(ON_3fPoint(CirclePoint(pl, rr, j, n, lift)));
  }
  auto at = [n](int i, int j) { return i * n + (j % n); };
  const int quad_rows = cone ? levels - 1 : levels;
  for (int i = 0; i < quad_rows; ++i)
    for (int j = 0; j < n; ++j)
      m.m_F.Append(ON_MeshFace{{at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j)}});
  if (cone) {
    const int apex = m.m_V.Count();
    m.m_V.Append(ON_3fPoint(pl.origin + pl.zaxis * f.m_height));
    for (int j = 0; j < n; ++j)
      m.m_F.Append(ON_MeshFace{{at(levels - 1, j), at(levels - 1, j + 1), apex, apex}});
  }
  // Vertex normals: radial for a cylinder, tilted by the half angle for a
  // cone (the apex gets the axis).
  m.m_N.SetCount(m.m_V.Count());
  for (int i = 0; i < m.m_V.Count(); ++i) {
    const ON_3dPoint p = m.m_V[i];
    ON_3dVector radial = (p - pl.origin) - pl.zaxis * ((p - pl.origin) * pl.zaxis);
    if (!radial.Unitize()) {
      m.m_N[i] = ON_3fVector(pl.zaxis);
      continue;
    }
    ON_3dVector nrm = cone ? radial * f.m_height + pl.zaxis * f.m_radius : radial;
    nrm.Unitize();
    m.m_N[i] = ON_3fVector(nrm);
  }
}

void MeshDisc(const ON_BrepFace& f, const ON_MeshParameters& mp, ON_Mesh& m) {
  const int n = RoundUp4(mp.CircleSegmentCount(f.m_radius));
  m.m_V.Append(ON_3fPoint(f.m_plane.origin));
  for (int j = 0; j < n; ++j)
    m.m_V.Append(ON_3fPoint(CirclePoint(f.m_plane, f.m_radius, j, n, 0.0)));
  for (int j = 0; j < n; ++j) {
    const int a = 1 + j, b = 1 + (j + 1) % n;
    if (f.m_bRev) {
      m.m_F.Append(ON_MeshFace{{0, b, a, a}});
    } else {
      m.m_F.Append(ON_MeshFace{{0, a, b, b}});
    }
  }
}

} // namespace

const ON_Mesh* ON_BrepFace::Mesh(const ON_MeshParameters& mp_in) const {
  if (m_mesh && m_mesh_mp == mp_in) return m_mesh.get();
  const ON_MeshParameters mp = mp_in.Effective();
  auto m = std::make_unique<ON_Mesh>();
  switch (m_kind) {
  case Kind::box_side:
    if (m_polygon.Count() == 4) {
      MeshQuadGrid(*this, mp, *m);
    } else {
      MeshPolygon(*this, *m);
    }
    break;
  case Kind::planar_polygon:
    if (m_polygon.Count() >= 3) MeshPolygon(*this, *m);
    break;
  case Kind::sphere:
    if (m_radius > 0.0) MeshSphere(*this, mp, *m);
    break;
  case Kind::cylinder_side:
    if (m_radius > 0.0 && m_height > 0.0) MeshSide(*this, mp, *m, false);
    break;
  case Kind::cone_side:
    if (m_radius > 0.0 && m_height > 0.0) MeshSide(*this, mp, *m, true);
    break;
  case Kind::disc:
    if (m_radius > 0.0) MeshDisc(*this, mp, *m);
    break;
  }
  if (m->FaceCount() == 0) {
    m_mesh.reset();
    return nullptr;
  }
  m->ComputeFaceNormals();
  if (!m->HasVertexNormals()) m->ComputeVertexNormals();
  m_mesh = std::move(m);
  m_mesh_mp = mp_in;
  return m_mesh.get();
}

int ON_Brep::GetMeshes(const ON_MeshParameters& mp, ON_SimpleArray<const ON_Mesh*>& meshes) const {
  int n = 0;
  for (const ON_BrepFace& f : m_F) {
    const ON_Mesh* m = f.Mesh(mp);
    if (m) {
      meshes.Append(m);
      ++n;
    }
  }
  return n;
}

ON_Mesh* ON_Brep::CreateJoinedMesh(const ON_MeshParameters& mp, bool bWeld) const {
  auto joined = std::make_unique<ON_Mesh>();
  for (const ON_BrepFace& f : m_F) {
    const ON_Mesh* m = f.Mesh(mp);
    if (m) joined->Append(*m);
  }
  if (joined->FaceCount() == 0) return nullptr;
  if (bWeld) {
    joined->CombineIdenticalVertices(true, true);
    joined->m_N.Empty();
    joined->ComputeFaceNormals();
    joined->ComputeVertexNormals();
  }
  return joined.release();
}
