// Builds made ahead of the drawing. After an invalidation every visible
// object needs its cache again in the next frame, one after another as the
// host draws them. So when the first one is asked for, the builds of all
// of them are made together: gathered here on the drawing thread, their
// parts cut on all cores as soon as each build is gathered, and each cache
// takes its object's results when the host reaches the object. The results
// are those the object's own build would give when asked: the same
// builder, the same cutters, the same frame. A build that no cache takes
// (an object the frame does not draw after all) is dropped, so no object
// gets a cache it would not have had.
//
// An object whose cache kept its cut result across the invalidation, with
// inputs that did not change, takes it back here instead of being built.
//
// Left to be built when asked: objects without faced meshes yet (the frame
// meshes them just before it draws them, with its own settings) and
// instance references (their members may be meshed by the drawing of
// other references earlier in the frame).

#include <thread>

#include "conduit/builds_ahead.h"
#include "conduit/cut_reuse.h"
#include "conduit/parallel_clip.h"
#include "section/mesh_types.h"
#include "userdata/section_cache.h"

namespace {

unsigned int BuildThreads() {
  const unsigned int cores = std::thread::hardware_concurrency();
  return cores > 0 ? cores : 1;
}

// Whatever a cut would add to the shared cutters on first use is added
// here, before any thread cuts.
void PrepareCutters(const ON_SimpleArray<ON_Mesh*>& cutters) {
  for (int i = 0; i < cutters.Count(); ++i) {
    ON_Mesh* cutter = cutters[i];
    if (cutter == nullptr) continue;
    if (!cutter->HasFaceNormals()) cutter->ComputeFaceNormals();
    cutter->BoundingBox();
  }
}

bool NeedsBuild(const CRhinoObject& object) {
  if (!object.IsVisible() || IsCuttingObject(&object)) return false;
  if (object.ObjectType() == ON::instance_reference) return false;
  if (!HasFacedMeshes(object, ObjectMeshType(object))) return false;
  const auto* cache = TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
  return cache == nullptr || !cache->m_phantom.m_bBuilt;
}

TV_SectionCache* UnbuiltCacheOf(const CRhinoObject& object) {
  auto* cache = TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
  return cache != nullptr && !cache->m_phantom.m_bBuilt ? cache : nullptr;
}

} // namespace

void CKyrelConduit::ExpectManyBuilds() {
  m_builds_ahead->bPending = true;
}

void CKyrelConduit::DropBuildsAhead() {
  m_builds_ahead->builds.clear();
  m_builds_ahead->pipeline = nullptr;
}

void CKyrelConduit::MakeBuildsAhead(CRhinoDisplayPipeline& pipeline) {
  BuildsAhead& ahead = *m_builds_ahead;
  ahead.bPending = false;
  DropBuildsAhead();
  if (m_pDoc == nullptr || !pipeline.IsDrawingFrame()) return;
  ahead.pipeline = &pipeline;
  ahead.frame = pipeline.FrameCount();
  PrepareCutters(m_intersection_meshes);
  PrepareCutters(m_difference_meshes);

  ParallelPartCutter cutter(BuildThreads());
  CRhinoObjectIterator it(*m_pDoc, CRhinoObjectIterator::all_objects,
                          CRhinoObjectIterator::active_and_reference_objects);
  for (const CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (!NeedsBuild(*object)) continue;
    const ON::mesh_type type = ObjectMeshType(*object);
    if (TV_SectionCache* cache = UnbuiltCacheOf(*object))
      if (TakeKeptCut(*object, type, *cache)) continue;
    auto build = std::make_unique<SectionBuild>(pipeline, *object, type, m_intersection_meshes,
                                                m_difference_meshes);
    std::shared_ptr<SectionCutInputs> inputs =
        m_cut_reuse->InputsOf(*object, type, m_intersection_meshes, m_difference_meshes);
    cutter.Add(*build);
    ahead.builds[object] =
        BuildsAhead::Made{object->RuntimeSerialNumber(), std::move(build), std::move(inputs)};
  }
  cutter.Finish();
  m_builds_made_ahead = static_cast<int>(ahead.builds.size());
  for (auto& entry : ahead.builds)
    entry.second.build->ReleaseSources();
}

std::unique_ptr<SectionBuild>
CKyrelConduit::TakeBuildAhead(const CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                              std::shared_ptr<SectionCutInputs>& inputs) {
  BuildsAhead& ahead = *m_builds_ahead;
  if (ahead.builds.empty()) return nullptr;
  if (ahead.pipeline != &pipeline || ahead.frame != pipeline.FrameCount() ||
      !pipeline.IsDrawingFrame()) {
    DropBuildsAhead(); // made for another frame
    return nullptr;
  }
  const auto found = ahead.builds.find(&object);
  if (found == ahead.builds.end()) return nullptr;
  std::unique_ptr<SectionBuild> build;
  if (found->second.serial == object.RuntimeSerialNumber()) {
    build = std::move(found->second.build);
    inputs = std::move(found->second.inputs);
  }
  ahead.builds.erase(found);
  return build;
}
