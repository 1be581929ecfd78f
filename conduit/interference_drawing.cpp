// The clash regions, drawn in red after all objects while clash display is
// on. The worker appends regions while this runs, so the list is read
// under the engine's results lock.

#include "conduit/kyrel_conduit.h"

namespace {

const ON_Color kClashColour(240, 0, 0);
// How many regions are drawn between two questions whether to stop.
constexpr int kInterruptEvery = 10;

} // namespace

void CKyrelConduit::DrawInterferences(CRhinoDisplayPipeline& pipeline) {
  EnterCriticalSection(&m_interfere.m_csInterferences);
  CDisplayPipelineAttributes attrs =
      m_pDisplayAttrs != nullptr ? *m_pDisplayAttrs : CDisplayPipelineAttributes();
  attrs.m_material.m_diffuse = kClashColour;
  CRhinoDisplayEngine* engine = pipeline.Engine();
  const ON_SimpleArray<ON_Mesh*>& regions = m_interfere.m_interference_meshes;
  for (int i = 0; i < regions.Count(); ++i) {
    if (i % kInterruptEvery == 0 && pipeline.InterruptDrawing()) break;
    if (regions[i] != nullptr && engine != nullptr)
      engine->DrawShadedMesh(*regions[i], attrs.m_material);
  }
  LeaveCriticalSection(&m_interfere.m_csInterferences);
}
