// RhinoSplitDisjointMesh: pieces are the classes of a union-find over the
// mesh's topology vertices (every group of vertices at the same
// single-precision point), joining the corners of every face. No exact
// geometry is needed, so this file stays free of CGAL.
#include "rhino_split_disjoint_mesh.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <vector>

#include "opennurbs_mesh_topology.h"

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

// Piece number of every face, numbered in order of first appearance; -1 when
// the mesh cannot be split. Faces join at shared vertices and at vertices at
// the same point, which the mesh's topology has already matched; it is kept
// with the mesh, so a document mesh asked again finds it built.
int LabelFaces(const ON_Mesh& mesh, std::vector<int>& piece_of_face) {
  const int nv = mesh.m_V.Count(), nf = mesh.m_F.Count();
  if (nf == 0) return -1;
  for (const ON_MeshFace& f : mesh.m_F)
    for (int k = 0; k < 4; ++k)
      if (f.vi[k] < 0 || f.vi[k] >= nv) return -1;
  const ON_MeshTopology& top = mesh.Topology();
  const int* place = top.m_topv_map.Array();
  DisjointSets sets(top.m_topv.Count());
  for (const ON_MeshFace& f : mesh.m_F)
    for (int k = 1; k < 4; ++k)
      sets.Join(place[f.vi[0]], place[f.vi[k]]);
  std::vector<int> number(static_cast<std::size_t>(top.m_topv.Count()), -1);
  piece_of_face.resize(static_cast<std::size_t>(nf));
  int pieces = 0;
  for (int i = 0; i < nf; ++i) {
    int& n = number[sets.Find(place[mesh.m_F[i].vi[0]])];
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
