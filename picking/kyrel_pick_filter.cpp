// The pick test. Cheap questions come first (view, display attributes,
// pipeline, clash display, cache presence) because the host asks about
// every object under the cursor; meshes are hit-tested only for objects
// that are drawn cut, and the first hit settles it.

#include "picking/kyrel_pick_filter.h"

#include "conduit/kyrel_conduit.h"
#include "userdata/section_cache.h"

namespace {

CKyrelPickFilter s_pick_filter;

// Faces the pick line passes through, which is how a shaded view is picked
// (wires are the host's own business: the filter acts on shaded views only).
constexpr int kPickShadedFaces = CRhinoPickContext::pick_mesh_shaded;

} // namespace

CKyrelPickFilter::CKyrelPickFilter() {
  Register();
}

CKyrelPickFilter::~CKyrelPickFilter() {
  UnRegister();
}

CKyrelPickFilter* CKyrelPickFilter::Instance() {
  return &s_pick_filter;
}

bool CKyrelPickFilter::AllowPick(const CRhinoPickContext& context, const CRhinoObject* object,
                                 bool /*bSubObject*/) {
  if (object == nullptr) return true;
  CRhinoDisplayPipeline* pipeline = context.m_view ? context.m_view->DisplayPipeline() : nullptr;
  const CDisplayPipelineAttributes* attrs =
      pipeline ? pipeline->GetObjectDisplayAttrs(object, nullptr) : nullptr;
  if (attrs == nullptr) return true;
  // In plain Wireframe nothing is drawn cut, so the full geometry is what
  // the user sees and clicks on.
  if (!CKyrelConduit::IsSupportedPipeline(*pipeline)) return true;
  // The host names the shade-surface switch as the setting that lets pick
  // filters act: without a surface pass the host picks wires, and the cut
  // meshes' faces are not what is on screen.
  if (!attrs->m_bShadeSurface) return true;
  // While clashes are shown objects are drawn whole, so they pick whole.
  if (CKyrelConduit::Instance()->IsInterfereEnabled()) return true;

  const TV_SectionCache* cache =
      TV_SectionCache::Cast(object->GetUserData(TV_SectionCache::UUID()));
  if (cache == nullptr || cache->m_phantom.m_caches.Count() == 0) return true;

  const ON_ClassArray<DS_MeshCache>& entries = cache->m_phantom.m_caches;
  for (int i = 0; i < entries.Count(); ++i) {
    const DS_MeshCache& entry = entries[i];
    if (!entry.m_bComputed || entry.m_clip_state < 0) continue;
    for (int k = 0; k < entry.m_meshes.Count(); ++k) {
      ON_3dPoint point;
      double depth = 0.0, distance = 0.0;
      int hit_kind = 0, face_index = -1;
      if (context.PickMesh(entry.m_meshes[k], kPickShadedFaces, &point, nullptr, nullptr, &depth,
                           &distance, &hit_kind, &face_index))
        return true;
    }
  }
  // The pick only met the part the cutters took away.
  return false;
}
