// The clash meshes, drawn in red after all objects while clash display is
// on.
//
// Not filled in yet: it joins with the clash engine.

#include "conduit/kyrel_conduit.h"

void CKyrelConduit::DrawInterferences(CRhinoDisplayPipeline& pipeline) {
  (void)pipeline;
}
