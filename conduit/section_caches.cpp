// Invalidation and destruction of the section caches of a document, after
// the cutting meshes changed or when nothing cuts any more.
//
// Hidden objects are visited too (their caches would otherwise survive a
// change of the cutters and reappear stale when shown), and so are
// reference objects: the host draws them, so they carry caches as well.
//
// An invalidated cache whose inputs are known hands its results to the
// conduit's store of kept cuts (cut_reuse.h) instead of deleting them.

#include "conduit/cut_reuse.h"
#include "conduit/kyrel_conduit.h"
#include "userdata/section_cache.h"

namespace {

constexpr int kVisitedStates = CRhinoObjectIterator::all_objects;
constexpr int kVisitedCategories = CRhinoObjectIterator::active_and_reference_objects;

TV_SectionCache* CacheOf(const CRhinoObject& object) {
  return TV_SectionCache::Cast(object.GetUserData(TV_SectionCache::UUID()));
}

} // namespace

void CKyrelConduit::InvalidateCaches(CRhinoDoc& doc) {
  CKyrelConduit* conduit = Instance();
  conduit->ExpectManyBuilds();
  ++conduit->m_cutters_generation;
  conduit->m_cut_reuse->BeginKeeping();
  conduit->m_cuts_reused = 0;
  conduit->m_cuts_made = 0;
  CRhinoObjectIterator it(doc, kVisitedStates, kVisitedCategories);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    TV_SectionCache* cache = CacheOf(*object);
    if (cache == nullptr) continue;
    conduit->m_cut_reuse->Keep(*cache);
    cache->Invalidate(true);
  }
}

void CKyrelConduit::DestroyCaches(CRhinoDoc& doc) {
  ++Instance()->m_cutters_generation;
  Instance()->m_cut_reuse->DropAll();
  CRhinoObjectIterator it(doc, kVisitedStates, kVisitedCategories);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    TV_SectionCache* cache = CacheOf(*object);
    if (cache == nullptr) continue;
    object->DetachUserData(cache);
    delete cache;
  }
}

void CKyrelConduit::ForgetKeptCuts() {
  m_cut_reuse->DropAll();
}
