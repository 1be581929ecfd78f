// Welding of identical vertices and culling of unused vertices and
// degenerate faces. All three keep the optional per-vertex and per-face
// arrays in step with m_V and m_F, and drop the runtime caches.

#include <algorithm>
#include <cmath>

#include "opennurbs_mesh.h"

namespace {

bool FaceInRange(const ON_MeshFace& f, int vc) {
  for (int k = 0; k < 4; ++k)
    if (f.vi[k] < 0 || f.vi[k] >= vc) return false;
  return true;
}

// Removes the faces whose keep flag is 0, with their face normals.
int CompactFaces(ON_Mesh& mesh, const ON_SimpleArray<char>& keep) {
  const bool has_fn = mesh.HasFaceNormals();
  int n = 0;
  const int fc = mesh.m_F.Count();
  for (int i = 0; i < fc; ++i) {
    if (!keep[i]) continue;
    mesh.m_F[n] = mesh.m_F[i];
    if (has_fn) mesh.m_FN[n] = mesh.m_FN[i];
    ++n;
  }
  mesh.m_F.SetCount(n);
  if (has_fn) {
    mesh.m_FN.SetCount(n);
  }
  return fc - n;
}

// Keeps vertex i when new_index[i] >= 0, moving it to new_index[i] (which
// must not exceed i), and renumbers the faces.
void CompactVertices(ON_Mesh& mesh, const ON_SimpleArray<int>& new_index, int new_count) {
  const int vc = mesh.m_V.Count();
  const bool has_n = mesh.HasVertexNormals();
  const bool has_t = mesh.HasTextureCoordinates();
  for (int i = 0; i < vc; ++i) {
    const int j = new_index[i];
    if (j < 0 || j == i) continue;
    mesh.m_V[j] = mesh.m_V[i];
    if (has_n) mesh.m_N[j] = mesh.m_N[i];
    if (has_t) mesh.m_T[j] = mesh.m_T[i];
  }
  mesh.m_V.SetCount(new_count);
  if (has_n) mesh.m_N.SetCount(new_count);
  if (has_t) mesh.m_T.SetCount(new_count);
}

} // namespace

bool ON_Mesh::CombineIdenticalVertices(bool bIgnoreVertexNormals, bool bIgnoreTextureCoordinates) {
  const int vc = m_V.Count();
  if (vc < 2) return false;
  const bool use_n = !bIgnoreVertexNormals && HasVertexNormals();
  const bool use_t = !bIgnoreTextureCoordinates && HasTextureCoordinates();
  const int stride = 3 + (use_n ? 3 : 0) + (use_t ? 2 : 0);

  // Flat key per vertex; a vertex with a NaN in its key matches nothing.
  ON_SimpleArray<float> key;
  key.SetCount(vc * stride);
  ON_SimpleArray<char> has_nan;
  has_nan.SetCount(vc);
  for (int i = 0; i < vc; ++i) {
    float* k = key.Array() + static_cast<size_t>(i) * stride;
    int c = 0;
    k[c++] = m_V[i].x;
    k[c++] = m_V[i].y;
    k[c++] = m_V[i].z;
    if (use_n) {
      k[c++] = m_N[i].x;
      k[c++] = m_N[i].y;
      k[c++] = m_N[i].z;
    }
    if (use_t) {
      k[c++] = m_T[i].x;
      k[c++] = m_T[i].y;
    }
    for (int j = 0; j < stride; ++j)
      if (std::isnan(k[j])) has_nan[i] = 1;
  }

  ON_SimpleArray<int> order;
  order.SetCount(vc);
  for (int i = 0; i < vc; ++i)
    order[i] = i;
  const float* kd = key.Array();
  auto less = [&](int a, int b) {
    if (has_nan[a] || has_nan[b]) {
      if (has_nan[a] != has_nan[b]) return has_nan[b] != 0; // NaN vertices last
      return a < b;
    }
    const float* ka = kd + static_cast<size_t>(a) * stride;
    const float* kb = kd + static_cast<size_t>(b) * stride;
    for (int j = 0; j < stride; ++j) {
      if (ka[j] < kb[j]) return true;
      if (kb[j] < ka[j]) return false;
    }
    return a < b; // equal keys: lowest index first
  };
  std::sort(order.begin(), order.end(), less);

  // Each vertex maps to the lowest index of its group.
  ON_SimpleArray<int> rep;
  rep.SetCount(vc);
  bool merged = false;
  for (int s = 0; s < vc;) {
    int e = s + 1;
    const int a = order[s];
    if (!has_nan[a]) {
      const float* ka = kd + static_cast<size_t>(a) * stride;
      while (e < vc && !has_nan[order[e]]) {
        const float* kb = kd + static_cast<size_t>(order[e]) * stride;
        bool same = true;
        for (int j = 0; j < stride && same; ++j)
          same = (ka[j] == kb[j]);
        if (!same) break;
        ++e;
      }
    }
    for (int i = s; i < e; ++i)
      rep[order[i]] = a;
    if (e - s > 1) merged = true;
    s = e;
  }
  if (!merged) return false;

  ON_SimpleArray<int> new_index;
  new_index.SetCount(vc);
  int n = 0;
  for (int i = 0; i < vc; ++i)
    new_index[i] = (rep[i] == i) ? n++ : -1;
  for (ON_MeshFace& f : m_F)
    for (int k = 0; k < 4; ++k)
      if (f.vi[k] >= 0 && f.vi[k] < vc) f.vi[k] = new_index[rep[f.vi[k]]];
  CompactVertices(*this, new_index, n);
  DestroyRuntimeCache(true);
  return true;
}

int ON_Mesh::CullUnusedVertices() {
  const int vc = m_V.Count();
  // Faces that point outside the vertex list cannot be renumbered.
  ON_SimpleArray<char> keep;
  keep.SetCount(m_F.Count());
  for (int i = 0; i < m_F.Count(); ++i)
    keep[i] = FaceInRange(m_F[i], vc) ? 1 : 0;
  CompactFaces(*this, keep);

  ON_SimpleArray<int> new_index;
  new_index.SetCount(vc);
  for (int i = 0; i < vc; ++i)
    new_index[i] = -1;
  for (const ON_MeshFace& f : m_F)
    for (int k = 0; k < 4; ++k)
      new_index[f.vi[k]] = 0;
  int n = 0;
  for (int i = 0; i < vc; ++i)
    if (new_index[i] == 0) new_index[i] = n++;
  if (n < vc) {
    for (ON_MeshFace& f : m_F)
      for (int k = 0; k < 4; ++k)
        f.vi[k] = new_index[f.vi[k]];
    CompactVertices(*this, new_index, n);
  }
  DestroyRuntimeCache(true);
  return vc - n;
}

int ON_Mesh::CullDegenerateFaces() {
  const int vc = m_V.Count();
  const int fc = m_F.Count();
  ON_SimpleArray<char> keep;
  keep.SetCount(fc);
  for (int i = 0; i < fc; ++i) {
    ON_MeshFace& f = m_F[i];
    if (!FaceInRange(f, vc)) continue;
    // Walk the corners, dropping each one equal (by index or location) to
    // the one kept before it, then the last if it equals the first.
    int c[4];
    int n = 0;
    const int corners = f.CornerCount();
    for (int k = 0; k < corners; ++k) {
      const int v = f.vi[k];
      if (n > 0 && (c[n - 1] == v || m_V[c[n - 1]] == m_V[v])) continue;
      c[n++] = v;
    }
    while (n > 1 && (c[n - 1] == c[0] || m_V[c[n - 1]] == m_V[c[0]]))
      --n;
    if (n < 3) continue;
    // Any remaining repeat (a quad folded onto its diagonal) has no area.
    bool distinct = true;
    for (int a = 0; a < n && distinct; ++a)
      for (int b = a + 1; b < n && distinct; ++b)
        if (c[a] == c[b] || m_V[c[a]] == m_V[c[b]]) distinct = false;
    if (!distinct) continue;
    keep[i] = 1;
    f.vi[0] = c[0];
    f.vi[1] = c[1];
    f.vi[2] = c[2];
    f.vi[3] = (n == 4) ? c[3] : c[2];
  }
  const int removed = CompactFaces(*this, keep);
  DestroyRuntimeCache(true);
  return removed;
}
