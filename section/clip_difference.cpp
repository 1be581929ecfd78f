// Difference cut: every Difference cutter in turn is subtracted from the
// working mesh M, then from what the cuts so far left (W); the remainder is
// kept.

#include "section_builder.h"

#include <memory>

void ClipDifference(const ON_Mesh& M, const ON_SimpleArray<ON_Mesh*>& cutters,
                    ON_SimpleArray<ON_Mesh*>& output, bool& bCut, const bool* pbClosed,
                    CutTrouble* trouble) {
  // The first cut reads M itself (a boolean never writes its inputs), so a
  // large part is not copied once more only to be cut.
  const ON_Mesh* W = &M;
  std::unique_ptr<ON_Mesh> owned;
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
    auto result = std::make_unique<ON_Mesh>();
    if (CutByCutter(*W, bClosed, *cutter, false, *result, trouble)) {
      bCut = true;
      owned = std::move(result);
      W = owned.get();
      bKnown = false;
    }
  }
  if (!bCut) return;
  owned->CullUnusedVertices();
  owned->CullDegenerateFaces();
  owned->DestroyTopology();
  output.Append(owned.release());
}
