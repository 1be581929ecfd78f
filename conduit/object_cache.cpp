// The section cache of an object, as the drawing channels ask for it: the
// cut of the object is computed once per state of the cutting meshes and
// kept in the object's own user data until the next rebuild invalidates it.
// A rebuild whose inputs are those of the result the invalidation kept
// takes that result back instead of cutting again (cut_reuse.h).

#include "conduit/builds_ahead.h"
#include "conduit/cut_reuse.h"
#include "conduit/kyrel_conduit.h"
#include "section/mesh_types.h"
#include "section/section_builder.h"
#include "userdata/section_cache.h"

bool CKyrelConduit::TakeKeptCut(const CRhinoObject& object, ON::mesh_type type,
                                TV_SectionCache& cache) {
  if (m_cut_reuse->KeptCount() == 0 ||
      !m_cut_reuse->Take(object, type, m_intersection_meshes, m_difference_meshes, cache))
    return false;
  cache.m_phantom.m_bBuilt = true;
  cache.m_phantom.m_source = &object;
  cache.m_cutters_generation = m_cutters_generation;
  ++m_cuts_reused;
  // Said again only if it was forgotten meanwhile.
  ReportCutTrouble(object, cache.m_cut_inputs->trouble);
  return true;
}

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
  if (cache->m_phantom.m_bBuilt) {
    if (cache->m_cutters_generation == 0 || cache->m_cutters_generation == m_cutters_generation)
      return cache;
    // Built under cutters since replaced, while its object was out of the
    // document: kept like any invalidated cache, and taken back below if
    // nothing it depends on changed.
    m_cut_reuse->Keep(*cache);
    cache->Invalidate(true);
  }
  if (m_builds_ahead->bPending) {
    MakeBuildsAhead(pipeline);
    // The batch hands kept results straight back, this cache's too.
    if (cache->m_phantom.m_bBuilt) return cache;
  }

  if (!TakeKeptCut(object, type, *cache)) {
    // Marked built before the work, so a build runs at most once until the
    // next rebuild of the cutting meshes invalidates the cache.
    cache->m_phantom.m_bBuilt = true;
    cache->m_phantom.m_source = &object;
    cache->m_cutters_generation = m_cutters_generation;
    std::shared_ptr<SectionCutInputs> inputs;
    std::unique_ptr<SectionBuild> build = TakeBuildAhead(pipeline, object, inputs);
    if (!build) {
      build = std::make_unique<SectionBuild>(pipeline, object, type, m_intersection_meshes,
                                             m_difference_meshes);
      // Taken once the parts are gathered, from the meshes they came from.
      inputs = m_cut_reuse->InputsOf(object, type, m_intersection_meshes, m_difference_meshes);
      for (int k = 0; k < build->PartCount(); ++k)
        build->ClipPart(k);
    }
    const CutTrouble trouble = build->Finish(cache->m_phantom.m_caches);
    if (inputs) {
      inputs->trouble = trouble;
      cache->m_cut_inputs = std::move(inputs);
    }
    ++m_cuts_made;
  }
  if (cache->Owner() == nullptr && !owner.AttachUserData(cache)) {
    // The object refused it: nothing can keep the cut, so draw it whole.
    delete cache;
    return nullptr;
  }
  return cache;
}
