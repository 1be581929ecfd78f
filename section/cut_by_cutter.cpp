// One cut of a part by one cutter, with the uncapped split as the fallback
// for a closed part the capped boolean refuses. A refusal says nothing about
// where the part lies, so guessing it from one point would keep or drop the
// whole part on the strength of a vertex; a split along the cutter shows
// the part as it really meets the cutter, only without the caps.

#include "meshtools.h"
#include "section_builder.h"

void CutTrouble::Merge(const CutTrouble& other) {
  if (uncapped == Failure::kNone) uncapped = other.uncapped;
  if (failed == Failure::kNone) failed = other.failed;
  kept_uncut = kept_uncut || other.kept_uncut;
  refined = refined || other.refined;
}

bool CutByCutter(const ON_Mesh& W, bool bClosed, const ON_Mesh& cutter, bool bKeepInside,
                 ON_Mesh& result, CutTrouble* trouble) {
  using Failure = TL_MeshBoolean::Failure;
  TL_MeshBoolean boolean(&W, &cutter);
  boolean.SetTolerances(TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE);
  Failure capped = Failure::kNone;
  if (bClosed) {
    if (bKeepInside ? boolean.GetBooleanIntersection(result) : boolean.GetBooleanDifference(result)) {
      if (trouble != nullptr && boolean.LastRefined()) trouble->refined = true;
      return true;
    }
    capped = boolean.LastFailure();
    if (capped == Failure::kNotCut) return false;
    // The split prepares the cutter the same way, so it would fail alike.
    if (capped == Failure::kUnfitB) {
      if (trouble != nullptr && trouble->failed == Failure::kNone) trouble->failed = capped;
      return false;
    }
  }
  ON_Mesh other_side;
  const bool split = bKeepInside ? boolean.GetMeshASplit(other_side, result)
                                 : boolean.GetMeshASplit(result, other_side);
  const Failure failure = boolean.LastFailure();
  if (trouble != nullptr) {
    if (split && bClosed && trouble->uncapped == Failure::kNone) trouble->uncapped = capped;
    if (split && boolean.LastRefined()) trouble->refined = true;
    if (!split && failure != Failure::kNotCut && trouble->failed == Failure::kNone)
      trouble->failed = failure;
  }
  return split;
}
