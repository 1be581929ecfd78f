// Mesh topology: merge coincident vertices, then collect face sides into
// shared edges. Everything is hashing and counting sorts over flat arrays;
// no per-element allocation.

#include "opennurbs_mesh_topology.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "opennurbs_mesh.h"

namespace {


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
    // Slots hold the location with its topology vertex, so a probe reads
    // one place in memory.
    struct Slot {
      float x, y, z;
      int topv; // -1: empty
    };
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(vc))
      size *= 2;
    std::vector<Slot> table(size, Slot{0, 0, 0, -1});
    for (int i = 0; i < vc; ++i) {
      if (HasNan(V[i])) {
        m_topv_map[i] = topv_count++;
        continue;
      }
      const float x = V[i].x + 0.0f, y = V[i].y + 0.0f, z = V[i].z + 0.0f;
      std::uint64_t h = 0x9E3779B97F4A7C15ull;
      for (const float c : {x, y, z}) {
        std::uint32_t bits;
        std::memcpy(&bits, &c, sizeof bits);
        h = (h ^ bits) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
      }
      std::size_t slot = h & (size - 1);
      while (table[slot].topv >= 0 &&
             !(table[slot].x == x && table[slot].y == y && table[slot].z == z))
        slot = (slot + 1) & (size - 1);
      if (table[slot].topv < 0) table[slot] = Slot{x, y, z, topv_count++};
      m_topv_map[i] = table[slot].topv;
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
  // Sides in first-use order (faces in order, sides k = 0..n-1), as three
  // arrays: each stays small enough for the allocator to reuse its memory
  // rather than map fresh pages for every topology.
  m_topf.SetCount(fc);
  int sc = 0;
  for (int fi = 0; fi < fc; ++fi) {
    const ON_MeshFace& f = mesh.m_F[fi];
    bool ok = true;
    for (int k = 0; k < 4; ++k)
      ok = ok && f.vi[k] >= 0 && f.vi[k] < vc;
    if (ok) sc += f.CornerCount();
  }
  std::vector<int> side_from(sc), side_to(sc), side_face(sc); // side_face: 4 * face + k
  {
    int si = 0;
    for (int fi = 0; fi < fc; ++fi) {
      const ON_MeshFace& f = mesh.m_F[fi];
      bool ok = true;
      for (int k = 0; k < 4; ++k)
        ok = ok && f.vi[k] >= 0 && f.vi[k] < vc;
      if (!ok) continue;
      const int n = f.CornerCount();
      for (int k = 0; k < n; ++k, ++si) {
        side_from[si] = m_topv_map[f.vi[(k + n - 1) % n]];
        side_to[si] = m_topv_map[f.vi[k]];
        side_face[si] = 4 * fi + k;
      }
    }
  }
  auto low = [&](int si) { return std::min(side_from[si], side_to[si]); };
  auto high = [&](int si) { return std::max(side_from[si], side_to[si]); };
  // The sides of each lower vertex, in first-use order; within that short
  // row the sides with the same upper vertex are one edge. Edges are then
  // numbered by the first side that uses them.
  // Row entries carry the upper vertex, so grouping reads only the row.
  struct RowEntry {
    int high, side;
  };
  std::vector<int> row_start(static_cast<std::size_t>(topv_count) + 1, 0);
  // Every entry is written before it is read: left uninitialised rather
  // than cleared first.
  const std::unique_ptr<RowEntry[]> row(new RowEntry[static_cast<std::size_t>(sc)]);
  for (int si = 0; si < sc; ++si)
    ++row_start[low(si) + 1];
  for (int t = 0; t < topv_count; ++t)
    row_start[t + 1] += row_start[t];
  {
    std::vector<int> fill(row_start.begin(), row_start.end() - 1);
    for (int si = 0; si < sc; ++si)
      row[fill[low(si)]++] = RowEntry{high(si), si};
  }
  std::vector<int> first_side(sc, -1); // per side, the first side of its edge
  for (int t = 0; t < topv_count; ++t) {
    const int b = row_start[t], e = row_start[t + 1];
    if (e - b <= 64) {
      for (int i = b; i < e; ++i) {
        int first = row[i].side;
        for (int j = b; j < i; ++j)
          if (row[j].high == row[i].high) {
            first = first_side[row[j].side];
            break;
          }
        first_side[row[i].side] = first;
      }
    } else {
      // A vertex of many edges (a pole): sorted by the other end instead.
      std::stable_sort(row.get() + b, row.get() + e,
                       [](const RowEntry& x, const RowEntry& y) { return x.high < y.high; });
      for (int i = b; i < e; ++i)
        first_side[row[i].side] = (i > b && row[i].high == row[i - 1].high)
                                      ? first_side[row[i - 1].side]
                                      : row[i].side;
    }
  }
  // Each side's edge replaces its first side in place: a first side comes
  // before the others of its edge.
  std::vector<int>& edge_of = first_side;
  int ec = 0;
  for (int si = 0; si < sc; ++si) {
    const int first = first_side[si];
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
      const int ei = edge_of[si], from = side_from[si];
      const int face = side_face[si] >> 2, k = side_face[si] & 3;
      ON_MeshTopologyEdge& edge = m_tope[ei];
      if (edge.m_topf_count == 0) { // the edge's first side
        edge.m_topvi[0] = from;
        edge.m_topvi[1] = side_to[si];
      }
      ++edge.m_topf_count;
      m_face_pool[fill[ei]++] = face;
      ON_MeshTopologyFace& tf = m_topf[face];
      tf.m_topei[k] = ei;
      tf.m_reve[k] = (from == edge.m_topvi[0]) ? 0 : 1;
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
