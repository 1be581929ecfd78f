// RhinoSplitDisjointMesh: pieces are the classes of a union-find over the
// vertices, joining the corners of every face and every group of vertices at
// the same single-precision point. No exact geometry is needed, so this file
// stays free of CGAL.
#include "rhino_split_disjoint_mesh.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

namespace {

class DisjointSets {
public:
  explicit DisjointSets(int n) : parent_(static_cast<std::size_t>(n)) {
    std::iota(parent_.begin(), parent_.end(), 0);
  }
  int Find(int v) {
    while (parent_[v] != v) {
      parent_[v] = parent_[parent_[v]];
      v = parent_[v];
    }
    return v;
  }
  void Join(int a, int b) {
    a = Find(a);
    b = Find(b);
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

private:
  std::vector<int> parent_;
};

struct PointKey {
  std::uint32_t x, y, z;
  bool operator==(const PointKey&) const = default;
};

std::uint32_t Bits(float f) {
  if (f == 0.0f) f = 0.0f; // -0 and +0 are the same place
  std::uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

// Piece number of every face, numbered in order of first appearance; -1 when
// the mesh cannot be split.
int LabelFaces(const ON_Mesh& mesh, std::vector<int>& piece_of_face) {
  const int nv = mesh.m_V.Count(), nf = mesh.m_F.Count();
  if (nf == 0) return -1;
  for (const ON_MeshFace& f : mesh.m_F)
    for (int k = 0; k < 4; ++k)
      if (f.vi[k] < 0 || f.vi[k] >= nv) return -1;
  DisjointSets sets(nv);
  for (const ON_MeshFace& f : mesh.m_F)
    for (int k = 1; k < 4; ++k)
      sets.Join(f.vi[0], f.vi[k]);
  // Vertices at the same point find each other by hashing the points. The
  // vertices are first sorted by the top bits of their hash into buckets of
  // about a thousand, each then searched with a small table that stays in
  // cache; one large table was probed at random, a cache miss per vertex.
  auto key_of = [&mesh](int v) {
    const ON_3fPoint& p = mesh.m_V[v];
    return PointKey{Bits(p.x), Bits(p.y), Bits(p.z)};
  };
  auto hash_of = [](const PointKey& key) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (const std::uint32_t bits : {key.x, key.y, key.z}) {
      h = (h ^ bits) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 29;
    }
    return h;
  };
  int shift_bits = 0; // log2 of the bucket count
  while ((nv >> shift_bits) > 1024 && shift_bits < 20)
    ++shift_bits;
  auto bucket_of = [shift_bits](std::uint64_t h) {
    return shift_bits == 0 ? std::size_t{0} : static_cast<std::size_t>(h >> (64 - shift_bits));
  };
  const std::size_t buckets = std::size_t{1} << shift_bits;
  std::vector<int> start(buckets + 1, 0);
  for (int v = 0; v < nv; ++v)
    ++start[bucket_of(hash_of(key_of(v))) + 1];
  for (std::size_t b = 0; b < buckets; ++b)
    start[b + 1] += start[b];
  std::vector<int> order(static_cast<std::size_t>(nv));
  {
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int v = 0; v < nv; ++v)
      order[fill[bucket_of(hash_of(key_of(v)))]++] = v;
  }
  struct Slot {
    PointKey key;
    int vertex; // -1: empty
  };
  std::vector<Slot> table;
  for (std::size_t b = 0; b < buckets; ++b) {
    const int first = start[b], end = start[b + 1];
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(end - first))
      size *= 2;
    table.assign(size, Slot{PointKey{0, 0, 0}, -1});
    for (int i = first; i < end; ++i) {
      const int v = order[i];
      const PointKey key = key_of(v);
      std::size_t slot = hash_of(key) & (size - 1);
      while (table[slot].vertex >= 0 && !(table[slot].key == key))
        slot = (slot + 1) & (size - 1);
      if (table[slot].vertex < 0)
        table[slot] = Slot{key, v};
      else
        sets.Join(table[slot].vertex, v);
    }
  }
  std::vector<int> number(static_cast<std::size_t>(nv), -1);
  piece_of_face.resize(static_cast<std::size_t>(nf));
  int pieces = 0;
  for (int i = 0; i < nf; ++i) {
    int& n = number[sets.Find(mesh.m_F[i].vi[0])];
    if (n < 0) n = pieces++;
    piece_of_face[i] = n;
  }
  return pieces;
}

} // namespace

int RhinoSplitDisjointMesh(const ON_Mesh& mesh, ON_SimpleArray<ON_Mesh*>& pieces, bool bCountOnly) {
  try {
    std::vector<int> piece_of_face;
    const int count = LabelFaces(mesh, piece_of_face);
    if (count <= 0) return 0;
    if (bCountOnly) return count;

    const int nv = mesh.m_V.Count(), nf = mesh.m_F.Count();
    const bool normals = mesh.HasVertexNormals(), texture = mesh.HasTextureCoordinates(),
               face_normals = mesh.HasFaceNormals();
    std::vector<std::unique_ptr<ON_Mesh>> made(static_cast<std::size_t>(count));
    for (auto& m : made)
      m = std::make_unique<ON_Mesh>();
    std::vector<int> new_index(static_cast<std::size_t>(nv), -1);
    std::vector<int> owner(static_cast<std::size_t>(nv), -1); // piece that numbered the vertex
    for (int i = 0; i < nf; ++i) {
      ON_Mesh& piece = *made[piece_of_face[i]];
      ON_MeshFace face = mesh.m_F[i];
      for (int k = 0; k < 4; ++k) {
        const int v = face.vi[k];
        // A vertex shared by index lies in one piece only; the check guards
        // against ever reusing a number from another piece.
        if (new_index[v] < 0 || owner[v] != piece_of_face[i]) {
          new_index[v] = piece.m_V.Count();
          owner[v] = piece_of_face[i];
          piece.m_V.Append(mesh.m_V[v]);
          if (normals) piece.m_N.Append(mesh.m_N[v]);
          if (texture) piece.m_T.Append(mesh.m_T[v]);
        }
        face.vi[k] = new_index[v];
      }
      piece.m_F.Append(face);
      if (face_normals) piece.m_FN.Append(mesh.m_FN[i]);
    }
    for (auto& m : made) {
      m->DestroyRuntimeCache();
      if (!face_normals) m->ComputeFaceNormals();
    }
    pieces.Reserve(pieces.Count() + count);
    for (auto& m : made)
      pieces.Append(m.release());
    return count;
  } catch (...) {
    return 0;
  }
}
