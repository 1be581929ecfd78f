#include "on_mesh_bridge.h"

#include <cmath>

namespace meshtools {
namespace {

double SquaredDistance(const ON_3fPoint& p, const ON_3fPoint& q) {
  const double dx = static_cast<double>(p.x) - q.x, dy = static_cast<double>(p.y) - q.y,
               dz = static_cast<double>(p.z) - q.z;
  return dx * dx + dy * dy + dz * dz;
}

} // namespace

bool ToTriMesh(const ON_Mesh& mesh, TriMesh& out) {
  out.Clear();
  const int nv = mesh.m_V.Count(), nf = mesh.m_F.Count();
  out.xyz.resize(3 * static_cast<std::size_t>(nv));
  const ON_3fPoint* v = mesh.m_V.Array();
  for (int i = 0; i < nv; ++i) {
    out.xyz[3 * i] = v[i].x;
    out.xyz[3 * i + 1] = v[i].y;
    out.xyz[3 * i + 2] = v[i].z;
  }
  out.tri.reserve(6 * static_cast<std::size_t>(nf));
  const ON_MeshFace* f = mesh.m_F.Array();
  for (int i = 0; i < nf; ++i) {
    const int* c = f[i].vi;
    for (int k = 0; k < 4; ++k)
      if (c[k] < 0 || c[k] >= nv) return false;
    if (f[i].IsTriangle()) {
      out.AddTriangle(c[0], c[1], c[2]);
    } else if (SquaredDistance(v[c[0]], v[c[2]]) <= SquaredDistance(v[c[1]], v[c[3]])) {
      out.AddTriangle(c[0], c[1], c[2]);
      out.AddTriangle(c[0], c[2], c[3]);
    } else {
      out.AddTriangle(c[0], c[1], c[3]);
      out.AddTriangle(c[1], c[2], c[3]);
    }
  }
  return true;
}

void ToONMesh(const TriMesh& in, ON_Mesh& out) {
  // Emptied in place rather than replaced, so the mesh keeps its user data
  // (healing in place must not strip what hangs off the mesh).
  out.Destroy();
  const int nv = in.VertexCount(), nt = in.TriangleCount();
  out.m_V.SetCount(nv);
  ON_3fPoint* v = out.m_V.Array();
  for (int i = 0; i < nv; ++i)
    v[i] = ON_3fPoint(static_cast<float>(in.xyz[3 * i]), static_cast<float>(in.xyz[3 * i + 1]),
                      static_cast<float>(in.xyz[3 * i + 2]));
  out.m_F.SetCount(nt);
  ON_MeshFace* f = out.m_F.Array();
  for (int t = 0; t < nt; ++t) {
    f[t].vi[0] = in.tri[3 * t];
    f[t].vi[1] = in.tri[3 * t + 1];
    f[t].vi[2] = f[t].vi[3] = in.tri[3 * t + 2];
  }
  out.DestroyRuntimeCache();
  // Face normals as the mesh itself would compute them, from the stored
  // float corners, without its per-face checks for quads and bad indices
  // that cannot occur here.
  out.m_FN.SetCount(nt);
  ON_3fVector* n = out.m_FN.Array();
  for (int t = 0; t < nt; ++t) {
    const ON_3fPoint &a = v[f[t].vi[0]], &b = v[f[t].vi[1]], &c = v[f[t].vi[2]];
    const double u[3] = {static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y,
                         static_cast<double>(b.z) - a.z};
    const double w[3] = {static_cast<double>(c.x) - a.x, static_cast<double>(c.y) - a.y,
                         static_cast<double>(c.z) - a.z};
    const double x = u[1] * w[2] - u[2] * w[1], y = u[2] * w[0] - u[0] * w[2],
                 z = u[0] * w[1] - u[1] * w[0];
    const double len = std::sqrt(x * x + y * y + z * z);
    n[t] = len > 0.0 && std::isfinite(len)
               ? ON_3fVector(static_cast<float>(x / len), static_cast<float>(y / len),
                             static_cast<float>(z / len))
               : ON_3fVector(0.0f, 0.0f, 0.0f);
  }
}

} // namespace meshtools
