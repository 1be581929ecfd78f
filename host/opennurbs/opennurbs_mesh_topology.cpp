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
    // The locations are hashed and the vertices sorted by the top bits of
    // their hash into buckets of about a thousand; each bucket is searched
    // with a small table that stays in cache (one large table was probed at
    // random, a cache miss per vertex). m_topv_map first holds each
    // vertex's lowest vertex at its location, then the numbers.
    struct Key {
      std::uint32_t x, y, z;
      bool operator==(const Key&) const = default;
    };
    auto key_of = [V](int i) {
      Key key;
      const float c[3] = {V[i].x + 0.0f, V[i].y + 0.0f, V[i].z + 0.0f}; // -0 is +0
      std::memcpy(&key, c, sizeof key);
      return key;
    };
    auto hash_of = [](const Key& key) {
      std::uint64_t h = 0x9E3779B97F4A7C15ull;
      for (const std::uint32_t bits : {key.x, key.y, key.z}) {
        h = (h ^ bits) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 29;
      }
      return h;
    };
    int shift_bits = 0; // log2 of the bucket count
    while ((vc >> shift_bits) > 1024 && shift_bits < 20)
      ++shift_bits;
    auto bucket_of = [shift_bits](std::uint64_t h) {
      return shift_bits == 0 ? std::size_t{0} : static_cast<std::size_t>(h >> (64 - shift_bits));
    };
    const std::size_t buckets = std::size_t{1} << shift_bits;
    std::vector<int> start(buckets + 1, 0);
    for (int i = 0; i < vc; ++i)
      if (!HasNan(V[i])) ++start[bucket_of(hash_of(key_of(i))) + 1];
    for (std::size_t b = 0; b < buckets; ++b)
      start[b + 1] += start[b];
    std::vector<int> order(static_cast<std::size_t>(start[buckets]));
    {
      std::vector<int> fill(start.begin(), start.end() - 1);
      for (int i = 0; i < vc; ++i) {
        m_topv_map[i] = i; // NaN vertices stay alone
        if (!HasNan(V[i])) order[fill[bucket_of(hash_of(key_of(i)))]++] = i;
      }
    }
    struct Slot {
      Key key;
      int vertex; // -1: empty
    };
    std::vector<Slot> table;
    for (std::size_t b = 0; b < buckets; ++b) {
      const int first = start[b], end = start[b + 1];
      std::size_t size = 16;
      while (size < 2 * static_cast<std::size_t>(end - first))
        size *= 2;
      table.assign(size, Slot{Key{0, 0, 0}, -1});
      for (int k = first; k < end; ++k) {
        const int i = order[k];
        const Key key = key_of(i);
        std::size_t slot = hash_of(key) & (size - 1);
        while (table[slot].vertex >= 0 && !(table[slot].key == key))
          slot = (slot + 1) & (size - 1);
        if (table[slot].vertex < 0)
          table[slot] = Slot{key, i};
        else
          m_topv_map[i] = table[slot].vertex;
      }
    }
    for (int i = 0; i < vc; ++i) {
      const int lowest = m_topv_map[i];
      m_topv_map[i] = lowest == i ? topv_count++ : m_topv_map[lowest];
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
  // Sides in first-use order: faces in order, sides k = 0..n-1 (side k
  // runs from corner k-1 to corner k). They are walked three times rather
  // than stored: fresh memory costs more than the walk.
  m_topf.SetCount(fc);
  auto for_each_side = [&](auto visit) {
    int si = 0;
    for (int fi = 0; fi < fc; ++fi) {
      const ON_MeshFace& f = mesh.m_F[fi];
      bool ok = true;
      for (int k = 0; k < 4; ++k)
        ok = ok && f.vi[k] >= 0 && f.vi[k] < vc;
      if (!ok) continue;
      const int n = f.CornerCount();
      int from = m_topv_map[f.vi[n - 1]];
      for (int k = 0; k < n; ++k, ++si) {
        const int to = m_topv_map[f.vi[k]];
        visit(si, from, to, fi, k);
        from = to;
      }
    }
    return si;
  };
  // The sides of each lower vertex, in first-use order; within that short
  // row the sides with the same upper vertex are one edge. Edges are then
  // numbered by the first side that uses them.
  // Row entries carry the upper vertex, so grouping reads only the row.
  struct RowEntry {
    int high, side;
  };
  std::vector<int> row_start(static_cast<std::size_t>(topv_count) + 1, 0);
  const int sc = for_each_side(
      [&row_start](int, int from, int to, int, int) { ++row_start[std::min(from, to) + 1]; });
  for (int t = 0; t < topv_count; ++t)
    row_start[t + 1] += row_start[t];
  // Every entry is written before it is read: left uninitialised rather
  // than cleared first.
  const std::unique_ptr<RowEntry[]> row(new RowEntry[static_cast<std::size_t>(sc)]);
  {
    std::vector<int> fill(row_start.begin(), row_start.end() - 1);
    for_each_side([&](int si, int from, int to, int, int) {
      row[fill[std::min(from, to)]++] = RowEntry{std::max(from, to), si};
    });
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
        first_side[row[i].side] =
            (i > b && row[i].high == row[i - 1].high) ? first_side[row[i - 1].side] : row[i].side;
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
  // Each edge's faces: counted, given their place in the pool, then
  // written with the count as the cursor.
  for_each_side([&](int si, int from, int to, int, int) {
    ON_MeshTopologyEdge& edge = m_tope[edge_of[si]];
    if (edge.m_topf_count++ == 0) { // the edge's first side
      edge.m_topvi[0] = from;
      edge.m_topvi[1] = to;
    }
  });
  {
    int* pool = m_face_pool.Array();
    for (ON_MeshTopologyEdge& edge : m_tope) {
      edge.m_topfi = pool;
      pool += edge.m_topf_count;
      edge.m_topf_count = 0;
    }
  }
  for_each_side([&](int si, int from, int, int face, int k) {
    const int ei = edge_of[si];
    ON_MeshTopologyEdge& edge = m_tope[ei];
    m_face_pool[static_cast<int>(edge.m_topfi - m_face_pool.Array()) + edge.m_topf_count++] = face;
    ON_MeshTopologyFace& tf = m_topf[face];
    tf.m_topei[k] = ei;
    tf.m_reve[k] = (from == edge.m_topvi[0]) ? 0 : 1;
  });
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
