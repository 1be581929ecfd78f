// The reflected copy of one object, drawn in the draw-object channel under
// the mirror transform applied after the pipeline's own model transform.
// The surface pass draws the object's render meshes shaded with its own
// display attributes (for a cut object these are the phantom's cut
// meshes); every other pass lets the object draw itself.

#include "conduit/kyrel_conduit.h"

void CKyrelConduit::DrawMirroredObject(CRhinoDisplayPipeline& pipeline,
                                       const CRhinoObject& object) {
  // A clipping plane clips the model; a reflected one would clip nothing
  // the user placed.
  if (object.ObjectType() == ON::clipplane_object) return;
  // The host goes on to draw a reference's members one by one through the
  // same channel, and each of them is mirrored there; mirroring the
  // reference as a whole as well would lay a second copy over them, in the
  // reference's colours rather than the members' own.
  if (object.ObjectType() == ON::instance_reference) return;
  // A plane without a normal leaves the identity: the copy would only be
  // drawn over the object itself.
  if (m_mirror_xform.IsIdentity()) return;

  const ON_Xform saved = pipeline.ModelTransform();
  pipeline.SetModelTransform(m_mirror_xform * saved);
  if (pipeline.DrawingSurfaces()) {
    ON_SimpleArray<const ON_Mesh*> meshes;
    object.GetMeshes(ON::render_mesh, meshes);
    for (int i = 0; i < meshes.Count(); ++i) {
      if (meshes[i] == nullptr) continue;
      pipeline.DrawShadedMesh(*meshes[i], pipeline.GetObjectDisplayAttrs(&object, nullptr));
    }
  } else {
    object.Draw(pipeline);
  }
  pipeline.SetModelTransform(saved);
}
