// The section cache of an object, as the drawing channels ask for it: the
// cut of the object is computed once per state of the cutting meshes and
// kept in the object's own user data until the next rebuild invalidates it.

#include "conduit/builds_ahead.h"
#include "conduit/kyrel_conduit.h"
#include "section/mesh_types.h"
#include "section/section_builder.h"
#include "userdata/section_cache.h"

TV_SectionCache* CKyrelConduit::ObjectCache(CRhinoDisplayPipeline& pipeline,
                                            const CRhinoObject& object) {
  const ON::mesh_type type = ObjectMeshType(object);
  if (m_intersection_meshes.Count() == 0 && m_difference_meshes.Count() == 0) return nullptr;
  if (!HasFacedMeshes(object, type)) return nullptr;

  // The cache is user data of the object; attaching or dropping it leaves
  // the object itself as its document sees it.
  auto& owner = const_cast<CRhinoObject&>(object);
  TV_SectionCache* cache = TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
  if (cache == nullptr) cache = new TV_SectionCache();
  if (cache->m_phantom.m_bBuilt) return cache;
  if (m_builds_ahead->bPending) MakeBuildsAhead(pipeline);

  // Marked built before the work, so a build runs at most once until the
  // next rebuild of the cutting meshes invalidates the cache.
  cache->m_phantom.m_bBuilt = true;
  cache->m_phantom.m_source = &object;
  if (std::unique_ptr<SectionBuild> build = TakeBuildAhead(pipeline, object))
    build->Finish(cache->m_phantom.m_caches);
  else
    BuildSectionCache(cache->m_phantom.m_caches, pipeline, object, type, m_intersection_meshes,
                      m_difference_meshes);
  if (cache->Owner() == nullptr && !owner.AttachUserData(cache)) {
    // The object refused it: nothing can keep the cut, so draw it whole.
    delete cache;
    return nullptr;
  }
  return cache;
}
