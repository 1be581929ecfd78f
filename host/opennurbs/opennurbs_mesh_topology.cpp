// Mesh topology: merge coincident vertices, then collect face sides into
// shared edges. Everything is sorting over flat arrays; no per-element
// allocation.

#include "opennurbs_mesh_topology.h"

#include <algorithm>
#include <cmath>

#include "opennurbs_mesh.h"

namespace {

struct SideRecord {
  int v0, v1; // sorted topology vertex pair (the key)
  int face;
  int k;    // side k of the face: corner k-1 -> corner k
  int from; // topology vertex of corner k-1
};

bool HasNan(const ON_3fPoint& p) {
  return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z);
}

} // namespace

ON_MeshTopology::ON_MeshTopology(const ON_Mesh& mesh) : m_mesh(&mesh) {
  const int vc = mesh.m_V.Count();
  const int fc = mesh.m_F.Count();
  const ON_3fPoint* V = mesh.m_V.Array();

  // ---- topology vertices ----
  ON_SimpleArray<int> order;
  order.SetCount(vc);
  for (int i = 0; i < vc; ++i)
    order[i] = i;
  std::sort(order.begin(), order.end(), [V](int a, int b) {
    const bool na = HasNan(V[a]), nb = HasNan(V[b]);
    if (na || nb) return na != nb ? nb : a < b; // NaN vertices last, each alone
    if (V[a].x != V[b].x) return V[a].x < V[b].x;
    if (V[a].y != V[b].y) return V[a].y < V[b].y;
    if (V[a].z != V[b].z) return V[a].z < V[b].z;
    return a < b;
  });
  ON_SimpleArray<int> rep; // lowest mesh vertex at the same location
  rep.SetCount(vc);
  for (int s = 0; s < vc;) {
    int e = s + 1;
    if (!HasNan(V[order[s]]))
      while (e < vc && !HasNan(V[order[e]]) && V[order[e]] == V[order[s]])
        ++e;
    for (int i = s; i < e; ++i)
      rep[order[i]] = order[s];
    s = e;
  }
  m_topv_map.SetCount(vc);
  int topv_count = 0;
  for (int i = 0; i < vc; ++i)
    m_topv_map[i] = (rep[i] == i) ? topv_count++ : m_topv_map[rep[i]];
  m_topv.SetCount(topv_count);
  // Counting sort of mesh vertices into their topology vertices (ascending).
  ON_SimpleArray<int> vstart;
  vstart.SetCount(topv_count + 1);
  for (int i = 0; i < vc; ++i)
    ++vstart[m_topv_map[i] + 1];
  for (int t = 0; t < topv_count; ++t)
    vstart[t + 1] += vstart[t];
  m_vertex_pool.SetCount(vc);
  {
    ON_SimpleArray<int> fill(vstart);
    for (int i = 0; i < vc; ++i)
      m_vertex_pool[fill[m_topv_map[i]]++] = i;
  }

  // ---- edges from face sides ----
  ON_SimpleArray<SideRecord> sides;
  sides.Reserve(fc * 4);
  m_topf.SetCount(fc);
  for (int fi = 0; fi < fc; ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    bool ok = true;
    for (int k = 0; k < 4; ++k)
      ok = ok && f.vi[k] >= 0 && f.vi[k] < vc;
    if (!ok) continue;
    const int n = f.CornerCount();
    for (int k = 0; k < n; ++k) {
      const int a = m_topv_map[f.vi[(k + n - 1) % n]];
      const int b = m_topv_map[f.vi[k]];
      sides.Append(SideRecord{std::min(a, b), std::max(a, b), fi, k, a});
    }
  }
  // Records are appended in first-use order; a stable sort by key keeps
  // that order within each edge.
  std::stable_sort(sides.begin(), sides.end(), [](const SideRecord& a, const SideRecord& b) {
    return a.v0 != b.v0 ? a.v0 < b.v0 : a.v1 < b.v1;
  });
  // Number edges by first use: collect each group's first record position.
  struct Group {
    int first_face, first_k, begin, end;
  };
  ON_SimpleArray<Group> groups;
  for (int s = 0; s < sides.Count();) {
    int e = s + 1;
    while (e < sides.Count() && sides[e].v0 == sides[s].v0 && sides[e].v1 == sides[s].v1)
      ++e;
    groups.Append(Group{sides[s].face, sides[s].k, s, e});
    s = e;
  }
  std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
    return a.first_face != b.first_face ? a.first_face < b.first_face : a.first_k < b.first_k;
  });
  const int ec = groups.Count();
  m_tope.SetCount(ec);
  m_face_pool.SetCount(sides.Count());
  ON_SimpleArray<int> fstart;
  fstart.SetCount(ec);
  int pool_pos = 0;
  for (int ei = 0; ei < ec; ++ei) {
    const Group& g = groups[ei];
    ON_MeshTopologyEdge& edge = m_tope[ei];
    const SideRecord& first = sides[g.begin];
    edge.m_topvi[0] = first.from;
    edge.m_topvi[1] = (first.from == first.v0) ? first.v1 : first.v0;
    edge.m_topf_count = g.end - g.begin;
    fstart[ei] = pool_pos;
    for (int s = g.begin; s < g.end; ++s) {
      const SideRecord& r = sides[s];
      m_face_pool[pool_pos++] = r.face;
      ON_MeshTopologyFace& tf = m_topf[r.face];
      tf.m_topei[r.k] = ei;
      tf.m_reve[r.k] = (r.from == edge.m_topvi[0]) ? 0 : 1;
    }
  }
  for (int fi = 0; fi < fc; ++fi) {
    ON_MeshTopologyFace& tf = m_topf[fi];
    if (tf.m_topei[0] >= 0 && mesh.m_F[fi].IsTriangle()) {
      tf.m_topei[3] = tf.m_topei[2];
      tf.m_reve[3] = tf.m_reve[2];
    }
  }

  // ---- edges at each vertex ----
  ON_SimpleArray<int> vestart;
  vestart.SetCount(topv_count + 1);
  for (const ON_MeshTopologyEdge& e : m_tope) {
    ++vestart[e.m_topvi[0] + 1];
    if (e.m_topvi[1] != e.m_topvi[0]) ++vestart[e.m_topvi[1] + 1];
  }
  for (int t = 0; t < topv_count; ++t)
    vestart[t + 1] += vestart[t];
  m_vedge_pool.SetCount(vestart[topv_count]);
  {
    ON_SimpleArray<int> fill(vestart);
    for (int ei = 0; ei < ec; ++ei) {
      const ON_MeshTopologyEdge& e = m_tope[ei];
      m_vedge_pool[fill[e.m_topvi[0]]++] = ei;
      if (e.m_topvi[1] != e.m_topvi[0]) m_vedge_pool[fill[e.m_topvi[1]]++] = ei;
    }
  }

  // Pools are final: point the elements into them.
  for (int t = 0; t < topv_count; ++t) {
    ON_MeshTopologyVertex& v = m_topv[t];
    v.m_v_count = vstart[t + 1] - vstart[t];
    v.m_vi = m_vertex_pool.Array() + vstart[t];
    v.m_tope_count = vestart[t + 1] - vestart[t];
    v.m_topei = v.m_tope_count ? m_vedge_pool.Array() + vestart[t] : nullptr;
  }
  for (int ei = 0; ei < ec; ++ei)
    m_tope[ei].m_topfi = m_face_pool.Array() + fstart[ei];
}

ON_3dPoint ON_MeshTopology::TopVertexPoint(int topvi) const {
  if (topvi < 0 || topvi >= m_topv.Count() || m_topv[topvi].m_v_count < 1)
    return ON_3dPoint::UnsetPoint;
  return m_mesh->Vertex(m_topv[topvi].m_vi[0]);
}

int ON_MeshTopology::TopEdge(int a, int b) const {
  if (a < 0 || a >= m_topv.Count() || b < 0 || b >= m_topv.Count()) return -1;
  const ON_MeshTopologyVertex& v = m_topv[a];
  for (int i = 0; i < v.m_tope_count; ++i) {
    const ON_MeshTopologyEdge& e = m_tope[v.m_topei[i]];
    if ((e.m_topvi[0] == a && e.m_topvi[1] == b) || (e.m_topvi[0] == b && e.m_topvi[1] == a))
      return v.m_topei[i];
  }
  return -1;
}

bool ON_MeshTopology::GetTopFaceVertices(int topfi, int topvi[4]) const {
  if (topvi == nullptr || topfi < 0 || topfi >= m_topf.Count() || !m_topf[topfi].IsValid())
    return false;
  const ON_MeshFace& f = m_mesh->m_F[topfi];
  for (int k = 0; k < 4; ++k)
    topvi[k] = m_topv_map[f.vi[k]];
  return true;
}

int ON_MeshTopology::NakedEdgeCount() const {
  int n = 0;
  for (const ON_MeshTopologyEdge& e : m_tope)
    n += (e.m_topf_count == 1) ? 1 : 0;
  return n;
}

bool ON_MeshTopology::IsClosed() const {
  if (m_tope.Count() == 0) return false;
  for (const ON_MeshTopologyEdge& e : m_tope)
    if (e.m_topf_count < 2) return false;
  return true;
}

unsigned int ON_MeshTopology::SizeOf() const {
  return static_cast<unsigned int>(sizeof(*this) + m_topv_map.SizeOfArray() + m_topv.SizeOfArray() +
                                   m_tope.SizeOfArray() + m_topf.SizeOfArray() +
                                   m_vertex_pool.SizeOfArray() + m_vedge_pool.SizeOfArray() +
                                   m_face_pool.SizeOfArray());
}
