// The reflected copy of an object, drawn under the mirror transform.
//
// Not filled in yet: nothing is drawn mirrored.

#include "conduit/kyrel_conduit.h"

void CKyrelConduit::DrawMirroredObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object) {
  (void)pipeline;
  (void)object;
}
