// Classification of a part that no boolean cut: it lies wholly inside the
// cutters or wholly outside them, so one of its points decides.

#include <cmath>

#include "point_in_mesh.h"
#include "section_builder.h"
#include "winding_number.h"

namespace {

// Inside by the parity of ray crossings, or, where two closed shells of
// the cutter overlap and parity counts two crossings as none, by the
// cutter's surface winding around the point (2 there; 0 outside, 1/2 on
// the surface, so halfway between 1/2 and 1 parts them).
bool InsideCutter(const ON_Mesh& cutter, const ON_3dPoint& P) {
  return IsPointInsideMesh(cutter, P) || std::fabs(WindingNumber(cutter, P)) > 0.75;
}

} // namespace

int ClassifyUncut(const ON_Mesh& M, ON_SimpleArray<ON_Mesh*>& output,
                  const ON_SimpleArray<ON_Mesh*>& cutters, int mode) {
  for (int i = 0; i < output.Count(); ++i)
    if (output[i] != nullptr && !output[i]->HasFaceNormals()) output[i]->ComputeFaceNormals();
  if (mode == 0) return 0;

  bool contained = false;
  if (M.FaceCount() > 0) {
    const ON_3dPoint P = M.Vertex(M.m_F[0].vi[0]);
    for (int i = 0; i < cutters.Count() && !contained; ++i)
      contained = cutters[i] != nullptr && InsideCutter(*cutters[i], P);
  }
  const bool keep = contained ? (mode > 0) : (mode < 0);
  if (!keep) return -1;
  output.Append(new ON_Mesh(M));
  return 1;
}

void AppendMeshes(ON_Mesh& target, int count, const ON_Mesh* const* meshes) {
  for (int i = 0; i < count; ++i)
    if (meshes[i] != nullptr) target.Append(*meshes[i]);
}
