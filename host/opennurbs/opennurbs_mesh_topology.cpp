// Mesh topology: merge coincident vertices, then collect face sides into
// shared edges. Everything is hashing and counting sorts over flat arrays;
// no per-element allocation.

#include "opennurbs_mesh_topology.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

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
  // Vertices at the same location share the topology vertex of the lowest
  // of them: a hash table of locations, visited in index order, finds it.
  // NaN vertices stay alone; -0 and +0 are one location, as == says.
  m_topv_map.SetCount(vc);
  int topv_count = 0;
  {
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(vc))
      size *= 2;
    std::vector<int> table(size, -1);
    auto hash = [](const ON_3fPoint& p) {
      std::uint64_t h = 0x9E3779B97F4A7C15ull;
      for (const float c : {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f}) {
        std::uint32_t bits;
        std::memcpy(&bits, &c, sizeof bits);
        h = (h ^ bits) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
      }
      return h;
    };
    for (int i = 0; i < vc; ++i) {
      if (HasNan(V[i])) {
        m_topv_map[i] = topv_count++;
        continue;
      }
      std::size_t slot = hash(V[i]) & (size - 1);
      while (table[slot] >= 0 && !(V[table[slot]] == V[i]))
        slot = (slot + 1) & (size - 1);
      if (table[slot] < 0) {
        table[slot] = i;
        m_topv_map[i] = topv_count++;
      } else {
        m_topv_map[i] = m_topv_map[table[slot]];
      }
    }
  }
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
  // Sides in first-use order (faces in order, sides k = 0..n-1).
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
  const int sc = sides.Count();
  // The sides of each lower vertex, in first-use order; within that short
  // row the sides with the same upper vertex are one edge. Edges are then
  // numbered by the first side that uses them.
  std::vector<int> row_start(static_cast<std::size_t>(topv_count) + 1, 0), row(sc);
  for (const SideRecord& r : sides)
    ++row_start[r.v0 + 1];
  for (int t = 0; t < topv_count; ++t)
    row_start[t + 1] += row_start[t];
  {
    std::vector<int> fill(row_start.begin(), row_start.end() - 1);
    for (int si = 0; si < sc; ++si)
      row[fill[sides[si].v0]++] = si;
  }
  std::vector<int> first_side(sc, -1); // per side, the first side of its edge
  for (int t = 0; t < topv_count; ++t) {
    const int b = row_start[t], e = row_start[t + 1];
    if (e - b <= 64) {
      for (int i = b; i < e; ++i) {
        const int si = row[i];
        first_side[si] = si;
        for (int j = b; j < i; ++j)
          if (sides[row[j]].v1 == sides[si].v1) {
            first_side[si] = first_side[row[j]];
            break;
          }
      }
    } else {
      // A vertex of many edges (a pole): sorted by the other end instead.
      std::stable_sort(row.begin() + b, row.begin() + e,
                       [&sides](int x, int y) { return sides[x].v1 < sides[y].v1; });
      for (int i = b; i < e; ++i)
        first_side[row[i]] = (i > b && sides[row[i]].v1 == sides[row[i - 1]].v1)
                                 ? first_side[row[i - 1]]
                                 : row[i];
    }
  }
  // Each side's edge replaces its first side in place: a first side comes
  // before the others of its edge.
  std::vector<int>& edge_of = first_side;
  std::vector<char> opens(sc, 0); // the side is its edge's first
  int ec = 0;
  for (int si = 0; si < sc; ++si) {
    const int first = first_side[si];
    opens[si] = first == si;
    edge_of[si] = first == si ? ec++ : edge_of[first];
  }
  m_tope.SetCount(ec);
  m_face_pool.SetCount(sc);
  ON_SimpleArray<int> fstart;
  fstart.SetCount(ec + 1);
  for (int si = 0; si < sc; ++si)
    ++fstart[edge_of[si] + 1];
  for (int ei = 0; ei < ec; ++ei)
    fstart[ei + 1] += fstart[ei];
  {
    ON_SimpleArray<int> fill(fstart);
    for (int si = 0; si < sc; ++si) {
      const SideRecord& r = sides[si];
      const int ei = edge_of[si];
      ON_MeshTopologyEdge& edge = m_tope[ei];
      if (opens[si]) {
        edge.m_topvi[0] = r.from;
        edge.m_topvi[1] = (r.from == r.v0) ? r.v1 : r.v0;
      }
      ++edge.m_topf_count;
      m_face_pool[fill[ei]++] = r.face;
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
