#include "winding_number.h"

#include <cmath>

namespace {

// The signed solid angle of triangle abc seen from the origin (the
// formula of Van Oosterom and Strackee).
double SolidAngle(const ON_3dVector& a, const ON_3dVector& b, const ON_3dVector& c) {
  const double la = a.Length(), lb = b.Length(), lc = c.Length();
  const double numerator = a * ON_CrossProduct(b, c);
  const double denominator = la * lb * lc + (a * b) * lc + (a * c) * lb + (b * c) * la;
  return 2.0 * std::atan2(numerator, denominator);
}

} // namespace

double WindingNumber(const ON_Mesh& mesh, const ON_3dPoint& P) {
  const int vertex_count = mesh.VertexCount();
  double total = 0.0;
  for (const ON_MeshFace& face : mesh.m_F) {
    bool valid = true;
    for (int k = 0; k < 4; ++k)
      valid = valid && face.vi[k] >= 0 && face.vi[k] < vertex_count;
    if (!valid) continue;
    const ON_3dVector a = ON_3dPoint(mesh.m_V[face.vi[0]]) - P;
    const ON_3dVector b = ON_3dPoint(mesh.m_V[face.vi[1]]) - P;
    const ON_3dVector c = ON_3dPoint(mesh.m_V[face.vi[2]]) - P;
    total += SolidAngle(a, b, c);
    if (face.IsQuad()) total += SolidAngle(a, c, ON_3dPoint(mesh.m_V[face.vi[3]]) - P);
  }
  return total / (4.0 * ON_PI);
}
