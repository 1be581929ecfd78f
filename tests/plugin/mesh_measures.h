// Measures of meshes that the extract and export tests compare.
#pragma once

#include "opennurbs.h"
#include "rhino_split_disjoint_mesh.h"

namespace kyrel_test {

inline double Area(const ON_Mesh& mesh) {
  double area = 0;
  auto triangle = [&](int a, int b, int c) {
    const ON_3dVector u = ON_3dPoint(mesh.m_V[b]) - ON_3dPoint(mesh.m_V[a]);
    const ON_3dVector v = ON_3dPoint(mesh.m_V[c]) - ON_3dPoint(mesh.m_V[a]);
    area += 0.5 * ON_CrossProduct(u, v).Length();
  };
  for (int i = 0; i < mesh.FaceCount(); ++i) {
    const ON_MeshFace& f = mesh.m_F[i];
    triangle(f.vi[0], f.vi[1], f.vi[2]);
    if (f.IsQuad()) triangle(f.vi[0], f.vi[2], f.vi[3]);
  }
  return area;
}

inline int PieceCount(const ON_Mesh& mesh) {
  ON_SimpleArray<ON_Mesh*> unused;
  return RhinoSplitDisjointMesh(mesh, unused, true);
}

} // namespace kyrel_test
