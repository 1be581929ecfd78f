#include "mesh_arrays.h"

#include <cmath>

namespace glengine {

namespace {

bool FaceIsUsable(const ON_MeshFace& f, int vertex_count) {
  for (int k = 0; k < 4; ++k)
    if (f.vi[k] < 0 || f.vi[k] >= vertex_count) return false;
  return true;
}

bool IsTriangleFace(const ON_MeshFace& f) {
  return f.vi[2] == f.vi[3];
}

// Area-weighted vertex normals: the cross products are not normalised
// before summing, so large faces weigh more and slivers barely count.
void ComputeVertexNormals(const ON_Mesh& mesh, std::vector<float>& normals) {
  const int vcount = mesh.m_V.Count();
  const ON_3fPoint* v = mesh.m_V.Array();
  std::vector<double> sum(static_cast<std::size_t>(vcount) * 3u, 0.0);
  for (int fi = 0; fi < mesh.m_F.Count(); ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    if (!FaceIsUsable(f, vcount)) continue;
    // A quad's normal from its diagonals works for planar and bent quads.
    const ON_3fPoint& a = v[f.vi[0]];
    const ON_3fPoint& b = v[f.vi[1]];
    const ON_3fPoint& c = v[f.vi[2]];
    const ON_3fPoint& d = v[f.vi[3]];
    double ux, uy, uz, wx, wy, wz;
    if (IsTriangleFace(f)) {
      ux = b.x - a.x;
      uy = b.y - a.y;
      uz = b.z - a.z;
      wx = c.x - a.x;
      wy = c.y - a.y;
      wz = c.z - a.z;
    } else {
      ux = c.x - a.x;
      uy = c.y - a.y;
      uz = c.z - a.z;
      wx = d.x - b.x;
      wy = d.y - b.y;
      wz = d.z - b.z;
    }
    const double nx = uy * wz - uz * wy;
    const double ny = uz * wx - ux * wz;
    const double nz = ux * wy - uy * wx;
    if (!std::isfinite(nx) || !std::isfinite(ny) || !std::isfinite(nz)) continue;
    const int corners = IsTriangleFace(f) ? 3 : 4;
    for (int k = 0; k < corners; ++k) {
      double* s = &sum[static_cast<std::size_t>(f.vi[k]) * 3u];
      s[0] += nx;
      s[1] += ny;
      s[2] += nz;
    }
  }
  normals.resize(sum.size());
  for (std::size_t i = 0; i < sum.size(); i += 3) {
    const double len =
        std::sqrt(sum[i] * sum[i] + sum[i + 1] * sum[i + 1] + sum[i + 2] * sum[i + 2]);
    const double scale = len > 0.0 ? 1.0 / len : 0.0;
    normals[i] = static_cast<float>(sum[i] * scale);
    normals[i + 1] = static_cast<float>(sum[i + 1] * scale);
    normals[i + 2] = static_cast<float>(sum[i + 2] * scale);
  }
}

void AppendFaceTriangles(const ON_MeshFace& f, unsigned int base_a, unsigned int base_b,
                         unsigned int base_c, unsigned int base_d, std::vector<unsigned int>& out) {
  out.push_back(base_a);
  out.push_back(base_b);
  out.push_back(base_c);
  if (!IsTriangleFace(f)) {
    out.push_back(base_a);
    out.push_back(base_c);
    out.push_back(base_d);
  }
}

} // namespace

bool BuildShadedMeshArrays(const ON_Mesh& mesh, ShadedMeshArrays& out) {
  out = ShadedMeshArrays{};
  const int vcount = mesh.m_V.Count();
  const int fcount = mesh.m_F.Count();
  if (vcount <= 0 || fcount <= 0) return false;

  const bool vertex_normals = mesh.m_N.Count() == vcount;
  const bool face_normals_only = !vertex_normals && mesh.m_FN.Count() == fcount;

  if (face_normals_only) {
    // Flat lighting needs a normal per face corner, so corners are copied.
    const ON_3fPoint* v = mesh.m_V.Array();
    for (int fi = 0; fi < fcount; ++fi) {
      const ON_MeshFace& f = mesh.m_F[fi];
      if (!FaceIsUsable(f, vcount)) continue;
      const ON_3fVector& n = mesh.m_FN[fi];
      const unsigned int first = static_cast<unsigned int>(out.own_positions.size() / 3u);
      const int corners = IsTriangleFace(f) ? 3 : 4;
      for (int k = 0; k < corners; ++k) {
        const ON_3fPoint& p = v[f.vi[k]];
        out.own_positions.insert(out.own_positions.end(), {p.x, p.y, p.z});
        out.own_normals.insert(out.own_normals.end(), {n.x, n.y, n.z});
      }
      AppendFaceTriangles(f, first, first + 1, first + 2, first + 3, out.triangles);
    }
    out.positions = out.own_positions.empty() ? nullptr : out.own_positions.data();
    out.normals = out.own_normals.empty() ? nullptr : out.own_normals.data();
    return !out.triangles.empty();
  }

  out.triangles.reserve(static_cast<std::size_t>(fcount) * 6u);
  for (int fi = 0; fi < fcount; ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    if (!FaceIsUsable(f, vcount)) continue;
    const auto i = [&f](int k) { return static_cast<unsigned int>(f.vi[k]); };
    AppendFaceTriangles(f, i(0), i(1), i(2), i(3), out.triangles);
  }
  if (out.triangles.empty()) return false;

  static_assert(sizeof(ON_3fPoint) == 3 * sizeof(float), "vertex arrays are read as packed floats");
  static_assert(sizeof(ON_3fVector) == 3 * sizeof(float),
                "normal arrays are read as packed floats");
  out.positions = &mesh.m_V.Array()->x;
  if (vertex_normals) {
    out.normals = &mesh.m_N.Array()->x;
  } else {
    ComputeVertexNormals(mesh, out.own_normals);
    out.normals = out.own_normals.data();
  }
  return true;
}

bool BuildMeshWireIndices(const ON_Mesh& mesh, std::vector<unsigned int>& segments) {
  segments.clear();
  const int vcount = mesh.m_V.Count();
  if (vcount <= 0) return false;
  segments.reserve(static_cast<std::size_t>(mesh.m_F.Count()) * 8u);
  for (int fi = 0; fi < mesh.m_F.Count(); ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    if (!FaceIsUsable(f, vcount)) continue;
    const int corners = IsTriangleFace(f) ? 3 : 4;
    for (int k = 0; k < corners; ++k) {
      segments.push_back(static_cast<unsigned int>(f.vi[k]));
      segments.push_back(static_cast<unsigned int>(f.vi[(k + 1) % corners]));
    }
  }
  return !segments.empty();
}

} // namespace glengine
