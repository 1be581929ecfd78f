// Drawing of one object in the draw-object channel: substitution of the
// section cache's phantom object for a cut object, cutting objects drawn
// from their cutting mesh, and the mirrored copy.
//
// Not filled in yet: every object is left to the host's own drawing.

#include "conduit/kyrel_conduit.h"

bool CKyrelConduit::DrawObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object) {
  (void)pipeline;
  (void)object;
  return false;
}
