// The section cache of an object, as the drawing channels ask for it.
//
// A cache that is already built for the current cutting meshes is handed
// out as it is. Building a cache (cutting the object's meshes) is the
// section builder's job, which joins here; until it does, an object
// without a built cache gets none and is drawn whole.

#include "conduit/kyrel_conduit.h"
#include "conduit/mesh_types.h"
#include "userdata/section_cache.h"

TV_SectionCache* CKyrelConduit::ObjectCache(CRhinoDisplayPipeline& pipeline,
                                            const CRhinoObject& object) {
  (void)pipeline;
  const ON::mesh_type type = ObjectMeshType(object);
  if (m_intersection_meshes.Count() == 0 && m_difference_meshes.Count() == 0) return nullptr;
  if (!HasFacedMeshes(object, type)) return nullptr;
  TV_SectionCache* cache = TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
  if (cache != nullptr && cache->m_phantom.m_bBuilt) return cache;
  return nullptr;
}
