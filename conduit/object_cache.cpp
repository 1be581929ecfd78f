// The section cache of an object, as the drawing channels ask for it: the
// cut of the object is computed once per state of the cutting meshes and
// kept in the object's own user data until the next rebuild invalidates it.
//
// After an invalidation every visible object needs its cache again in the
// next frame, one after another as the host draws them. Their builds are
// therefore made together when the first one is asked for: the parts are
// gathered here on the drawing thread, cut on all cores, and each cache
// takes its object's results when the host reaches the object. A build
// that no cache takes (an object the frame does not draw after all) is
// dropped, so no object gets a cache it would not have had.

#include <thread>

#include "conduit/kyrel_conduit.h"
#include "conduit/prebuilt_builds.h"
#include "section/mesh_types.h"
#include "section/section_builder.h"
#include "userdata/section_cache.h"

namespace {

unsigned int BuildThreads() {
  const unsigned int cores = std::thread::hardware_concurrency();
  return cores > 0 ? cores : 1;
}

// The cutters are shared by every thread that cuts: whatever the builder
// would add to them on first use is added here, before the threads start.
void PrepareCutters(const ON_SimpleArray<ON_Mesh*>& cutters) {
  for (int i = 0; i < cutters.Count(); ++i) {
    ON_Mesh* cutter = cutters[i];
    if (cutter == nullptr) continue;
    if (!cutter->HasFaceNormals()) cutter->ComputeFaceNormals();
    cutter->BoundingBox();
    cutter->MeshTree(true);
  }
}

} // namespace

void CKyrelConduit::DropPrebuiltCaches() {
  PrebuiltBuilds& prebuilt = *m_prebuilt;
  prebuilt.builds.clear();
  prebuilt.pipeline = nullptr;
}

void CKyrelConduit::PrebuildCaches(CRhinoDisplayPipeline& pipeline) {
  PrebuiltBuilds& prebuilt = *m_prebuilt;
  prebuilt.bPending = false;
  DropPrebuiltCaches();
  if (m_pDoc == nullptr) return;

  std::vector<SectionBuild*> builds;
  CRhinoObjectIterator it(*m_pDoc, CRhinoObjectIterator::all_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (!object->IsVisible() || IsCuttingObject(object)) continue;
    const ON::mesh_type type = ObjectMeshType(*object);
    if (!HasFacedMeshes(*object, type)) continue;
    const auto* cache = TV_SectionCache::Cast(object->GetUserData(TV_SectionCache::UUID()));
    if (cache != nullptr && cache->m_phantom.m_bBuilt) continue;
    auto build = std::make_unique<SectionBuild>(pipeline, *object, type, m_intersection_meshes,
                                                m_difference_meshes);
    builds.push_back(build.get());
    prebuilt.builds[object] = std::move(build);
  }
  // One build alone gains nothing from the batch; it is made when asked.
  if (builds.size() < 2) {
    DropPrebuiltCaches();
    return;
  }
  prebuilt.pipeline = &pipeline;
  PrepareCutters(m_intersection_meshes);
  PrepareCutters(m_difference_meshes);
  ClipSectionBuilds(builds, BuildThreads());
  for (SectionBuild* build : builds)
    build->ReleaseSources();
}

void CKyrelConduit::ExpectManyBuilds() {
  m_prebuilt->bPending = true;
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
  if (cache->m_phantom.m_bBuilt) return cache;
  PrebuiltBuilds& prebuilt = *m_prebuilt;
  if (prebuilt.bPending) PrebuildCaches(pipeline);

  // Marked built before the work, so a build runs at most once until the
  // next rebuild of the cutting meshes invalidates the cache.
  cache->m_phantom.m_bBuilt = true;
  cache->m_phantom.m_source = &object;
  const auto found =
      prebuilt.pipeline == &pipeline ? prebuilt.builds.find(&object) : prebuilt.builds.end();
  if (found != prebuilt.builds.end()) {
    found->second->Finish(cache->m_phantom.m_caches);
    prebuilt.builds.erase(found);
  } else {
    BuildSectionCache(cache->m_phantom.m_caches, pipeline, object, type, m_intersection_meshes,
                      m_difference_meshes);
  }
  if (cache->Owner() == nullptr && !owner.AttachUserData(cache)) {
    // The object refused it: nothing can keep the cut, so draw it whole.
    delete cache;
    return nullptr;
  }
  return cache;
}
