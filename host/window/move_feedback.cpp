#include "move_feedback.h"

namespace kyrel::window {

namespace {
const ON_Color kFeedbackColour(230, 120, 20);
}

bool MoveFeedback::ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel, bool&) {
  if (channel != channel_post_objects || !m_pDoc) return true;
  const ON_Xform saved = pipeline.ModelTransform();
  pipeline.SetModelTransform(ON_Xform::TranslationTransformation(to_ - base_));
  for (const CRhinoObject* o : m_pDoc->ObjectList()) {
    if (!o || o->IsDeleted() || !o->IsSelected() || !o->IsVisible()) continue;
    ON_SimpleArray<const ON_Mesh*> meshes;
    o->GetMeshes(ON::render_mesh, meshes);
    for (int i = 0; i < meshes.Count(); ++i)
      if (meshes[i]) pipeline.DrawMeshWires(*meshes[i], kFeedbackColour, 1);
  }
  pipeline.SetModelTransform(saved);
  pipeline.DrawLine(base_, to_, kFeedbackColour, 1, 0xF0F0F0F0u);
  return true;
}

} // namespace kyrel::window
