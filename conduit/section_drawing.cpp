// Cutting objects drawn as their own cutting mesh, and the edge drawing it
// uses.
//
// Not filled in yet: cutting objects are left to the host's own drawing.

#include "conduit/kyrel_conduit.h"

bool CKyrelConduit::DrawSectionGeometry(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                                        const CDisplayPipelineAttributes* attrs,
                                        const TV_SectionGeometry* geometry) {
  (void)pipeline;
  (void)object;
  (void)attrs;
  (void)geometry;
  return false;
}

void CKyrelConduit::DrawObjectEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                                    const CDisplayPipelineAttributes* attrs, bool bMeshObject) {
  (void)pipeline;
  (void)mesh;
  (void)attrs;
  (void)bMeshObject;
}
