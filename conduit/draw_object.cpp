// Drawing of one object in the draw-object channel. A cut object is
// replaced by its section cache's phantom object, which the host then draws
// with the object's own display attributes; a cutting object is drawn from
// its cutting mesh; with mirroring on, the object (or its phantom) is drawn
// once more in the mirror.

#include "conduit/kyrel_conduit.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"

namespace {

bool HasVisibleEntry(const TV_SectionCache& cache) {
  for (int i = 0; i < cache.m_phantom.m_caches.Count(); ++i)
    if (cache.m_phantom.m_caches[i].m_clip_state >= 0) return true;
  return false;
}

} // namespace

bool CKyrelConduit::DrawObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object) {
  if (pipeline.DrawingGrips() || object.InShadedAnalysisMode() != nullptr) return false;
  bool handled = false;

  CChannelAttributes* channel = m_pChannelAttrs;
  const int owner_index = channel ? channel->m_object_owner_index : -1;
  const bool cutting = m_intersection_meshes.Count() > 0 || m_difference_meshes.Count() > 0;
  if (pipeline.GetObjectOwner(owner_index) == nullptr && object.IsMeshable(ON::render_mesh) &&
      (cutting || IsInterfereEnabled())) {
    const CDisplayPipelineAttributes* attrs = pipeline.GetObjectDisplayAttrs(&object, nullptr);
    if (attrs != nullptr) {
      // While clashes are shown the host draws no object surfaces.
      if (IsInterfereEnabled()) return pipeline.DrawingSurfaces();

      const auto* geometry =
          TV_SectionGeometry::Cast(object.GetAttributeUserData(TV_SectionGeometry::UUID()));
      if (geometry != nullptr) {
        // The section drawing mirrors the cutting object itself.
        if (DrawSectionGeometry(pipeline, object, attrs, geometry)) return true;
      } else {
        TV_SectionCache* cache = ObjectCache(pipeline, object);
        if (cache != nullptr && channel != nullptr && HasVisibleEntry(*cache)) {
          channel->m_pObject = &cache->m_phantom;
          handled = true;
        }
      }
    }
  }

  if (m_bMirroring) {
    const CRhinoObject* current = channel && channel->m_pObject ? channel->m_pObject : &object;
    DrawMirroredObject(pipeline, *current);
  }
  return handled;
}
