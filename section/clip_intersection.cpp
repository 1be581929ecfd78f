// Intersection cut: M is the working mesh of one part, each cutter a
// closed Intersection cutting mesh. What lies inside a cutter stays; pieces
// from different cutters are kept apart, in cutter order.

#include "section_builder.h"

void ClipIntersection(ON_Mesh& M, const ON_SimpleArray<ON_Mesh*>& cutters,
                      ON_SimpleArray<ON_Mesh*>& output, bool& bCut, CutTrouble* trouble) {
  if (!M.HasFaceNormals()) M.ComputeFaceNormals();
  // Built once here so the booleans against every cutter only read M. No
  // face tree: the booleans build their own, and one here cost about a
  // seventh of every Intersection build.
  M.Topology();
  const ON_BoundingBox box = M.BoundingBox();
  const bool closed = M.IsClosed();

  for (int i = 0; i < cutters.Count(); ++i) {
    ON_Mesh* cutter = cutters[i];
    if (cutter == nullptr || cutter == &M) continue;
    ON_BoundingBox overlap;
    if (!overlap.Intersection(box, cutter->BoundingBox())) continue;
    if (!cutter->HasFaceNormals()) cutter->ComputeFaceNormals();

    auto* result = new ON_Mesh();
    if (CutByCutter(M, closed, *cutter, true, *result, trouble)) {
      bCut = true;
      output.Append(result);
    } else {
      delete result;
    }
  }
}
