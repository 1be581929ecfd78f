// Invalidation and destruction of the section caches of a document, after
// the cutting meshes changed or when nothing cuts any more.
//
// Hidden objects are visited too (their caches would otherwise survive a
// change of the cutters and reappear stale when shown), and so are
// reference objects: the host draws them, so they carry caches as well.

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
  Instance()->ExpectManyBuilds();
  CRhinoObjectIterator it(doc, kVisitedStates, kVisitedCategories);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    if (TV_SectionCache* cache = CacheOf(*object)) cache->Invalidate(true);
  }
}

void CKyrelConduit::DestroyCaches(CRhinoDoc& doc) {
  CRhinoObjectIterator it(doc, kVisitedStates, kVisitedCategories);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    TV_SectionCache* cache = CacheOf(*object);
    if (cache == nullptr) continue;
    object->DetachUserData(cache);
    delete cache;
  }
}
