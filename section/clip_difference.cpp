// Difference cut: W starts as a copy of the working mesh M and every
// Difference cutter in turn is subtracted from it; the remainder is kept.

#include "section_builder.h"

void ClipDifference(const ON_Mesh& M, const ON_SimpleArray<ON_Mesh*>& cutters,
                    ON_SimpleArray<ON_Mesh*>& output, bool& bCut, const bool* pbClosed,
                    CutTrouble* trouble) {
  auto* W = new ON_Mesh(M);
  // Whether W is closed is asked of W itself once it was cut: a fresh
  // result has no topology yet, and M's answer no longer holds.
  bool bKnown = pbClosed != nullptr;
  bool bClosed = bKnown && *pbClosed;
  // Every remainder lies within M's box. A cutter outside it would only be
  // found not to cut at the price of its preparation, and a cutter the
  // boolean cannot use would count as trouble for an object it never
  // reaches; and what does not reach the part cannot change its cut (kept
  // cut results rely on that, conduit/cut_reuse.h).
  const ON_BoundingBox reach = M.BoundingBox();
  for (int i = 0; i < cutters.Count(); ++i) {
    const ON_Mesh* cutter = cutters[i];
    if (cutter == nullptr) continue;
    ON_BoundingBox overlap;
    if (!overlap.Intersection(reach, cutter->BoundingBox())) continue;
    if (!bKnown) bClosed = W->IsClosed();
    bKnown = true;
    auto* result = new ON_Mesh();
    if (CutByCutter(*W, bClosed, *cutter, false, *result, trouble)) {
      bCut = true;
      delete W;
      W = result;
      bKnown = false;
    } else {
      delete result;
    }
  }
  if (!bCut) {
    delete W;
    return;
  }
  W->CullUnusedVertices();
  W->CullDegenerateFaces();
  W->DestroyTopology();
  output.Append(W);
}
