// Section caches: identity, the rule that entries never end up with two
// owners (copies, duplicates, assignment), invalidation with and without
// deletion, sizes, and staying behind when their object is copied.

#include "support/test_meshes.h"
#include "userdata/section_cache.h"

#include <gtest/gtest.h>

#include <memory>

#include "rhinoSdk.h"

namespace {

ON_Mesh* NewTriangle() {
  return new ON_Mesh(
      test_meshes::Triangle(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 0, 0), ON_3dPoint(0, 1, 0)));
}

// A built cache with `entries` entries of one triangle each.
void Fill(TV_SectionCache& cache, const CRhinoObject* source, int entries) {
  cache.m_phantom.m_source = source;
  for (int i = 0; i < entries; ++i) {
    DS_MeshCache& entry = cache.m_phantom.m_caches.AppendNew();
    entry.m_bComputed = true;
    entry.m_clip_state = 0;
    entry.m_object = source;
    entry.m_mesh_index = i;
    entry.m_meshes.Append(NewTriangle());
  }
  cache.m_phantom.m_bBuilt = true;
}

} // namespace

TEST(SectionCacheIdentity, ClassRecordInstanceIdsAndDescription) {
  const ON_UUID uuid = ON_UuidFromString("131A4B0B-AD24-4254-A92D-F616E3957029");
  EXPECT_EQ(TV_SectionCache::UUID(), uuid);
  const ON_ClassId* record = ON_ClassId::ClassId(uuid);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->ClassName(), "TV_SectionCache");
  EXPECT_STREQ(record->BaseClassName(), "ON_UserData");

  TV_SectionCache cache;
  EXPECT_EQ(cache.m_userdata_uuid, uuid);
  EXPECT_EQ(cache.m_application_uuid, ON_nil_uuid);
  EXPECT_EQ(cache.m_userdata_copycount, 0);
  EXPECT_FALSE(cache.Archive());
  EXPECT_FALSE(cache.m_phantom.m_bBuilt);
  EXPECT_EQ(cache.m_phantom.m_source, nullptr);
  EXPECT_EQ(cache.m_phantom.m_caches.Count(), 0);
  ON_wString description;
  EXPECT_TRUE(cache.GetDescription(description));
  EXPECT_EQ(description, ON_wString(L"Kyrel Mesh Cache"));
}

TEST(SectionCacheIdentity, CastAcceptsOnlyTheClass) {
  TV_SectionCache cache;
  EXPECT_EQ(TV_SectionCache::Cast(static_cast<ON_Object*>(&cache)), &cache);
  EXPECT_EQ(TV_SectionCache::Cast(static_cast<const ON_Object*>(&cache)), &cache);
  ON_Mesh mesh;
  EXPECT_EQ(TV_SectionCache::Cast(static_cast<ON_Object*>(&mesh)), nullptr);
  EXPECT_EQ(TV_SectionCache::Cast(static_cast<ON_Object*>(nullptr)), nullptr);
}

TEST(SectionCacheCopies, DuplicatesArriveEmptyAndUnbuilt) {
  CRhinoMeshObject source;
  TV_SectionCache cache;
  Fill(cache, &source, 2);

  std::unique_ptr<TV_SectionCache> duplicate(cache.Duplicate());
  ASSERT_NE(duplicate, nullptr);
  EXPECT_FALSE(duplicate->m_phantom.m_bBuilt);
  EXPECT_EQ(duplicate->m_phantom.m_caches.Count(), 0);
  EXPECT_EQ(duplicate->m_userdata_uuid, TV_SectionCache::UUID());

  // Through the class record's copy function as well.
  TV_SectionCache target;
  Fill(target, &source, 1);
  ASSERT_NE(TV_SectionCache::m_TV_SectionCache_class_rtti.Copy_Function(), nullptr);
  ASSERT_TRUE(TV_SectionCache::m_TV_SectionCache_class_rtti.Copy_Function()(&cache, &target));
  EXPECT_FALSE(target.m_phantom.m_bBuilt);
  EXPECT_EQ(target.m_phantom.m_caches.Count(), 0);

  // The source keeps its entries.
  EXPECT_TRUE(cache.m_phantom.m_bBuilt);
  EXPECT_EQ(cache.m_phantom.m_caches.Count(), 2);
  EXPECT_EQ(cache.m_phantom.m_caches[1].m_meshes.Count(), 1);
}

TEST(SectionCacheCopies, CopyConstructionSharesNoMesh) {
  CRhinoMeshObject source;
  TV_SectionCache cache;
  Fill(cache, &source, 2);
  {
    TV_SectionCache copy(cache);
    EXPECT_EQ(copy.m_phantom.m_caches.Count(), 0);
    EXPECT_FALSE(copy.m_phantom.m_bBuilt);
    EXPECT_EQ(copy.m_userdata_uuid, TV_SectionCache::UUID());
  }
  // The copy is gone; the source's meshes are still whole.
  ASSERT_EQ(cache.m_phantom.m_caches.Count(), 2);
  EXPECT_EQ(cache.m_phantom.m_caches[0].m_meshes[0]->FaceCount(), 1);
}

TEST(SectionCacheCopies, CopyingTheObjectLeavesTheCacheBehind) {
  CRhinoMeshObject object;
  object.SetMesh(NewTriangle());
  auto* cache = new TV_SectionCache();
  Fill(*cache, &object, 1);
  ASSERT_TRUE(object.AttachUserData(cache));
  std::unique_ptr<CRhinoObject> copy(object.DuplicateRhinoObject());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetUserData(TV_SectionCache::UUID()), nullptr);
  EXPECT_EQ(object.GetUserData(TV_SectionCache::UUID()), cache);
}

TEST(SectionCacheInvalidation, WithDeletionEmptiesTheCacheButKeepsTheSource) {
  CRhinoMeshObject source;
  TV_SectionCache cache;
  Fill(cache, &source, 3);
  cache.Invalidate(true);
  EXPECT_FALSE(cache.m_phantom.m_bBuilt);
  EXPECT_EQ(cache.m_phantom.m_caches.Count(), 0);
  EXPECT_EQ(cache.m_phantom.m_source, &source);
}

TEST(SectionCacheInvalidation, WithoutDeletionLeavesTheMeshesToTheirOtherHolder) {
  CRhinoMeshObject source;
  TV_SectionCache cache;
  Fill(cache, &source, 2);
  std::unique_ptr<ON_Mesh> first(cache.m_phantom.m_caches[0].m_meshes[0]);
  std::unique_ptr<ON_Mesh> second(cache.m_phantom.m_caches[1].m_meshes[0]);
  cache.Invalidate(false);
  EXPECT_EQ(cache.m_phantom.m_caches.Count(), 0);
  // Still alive and ours to free (the sanitizer build catches a double free).
  EXPECT_EQ(first->FaceCount(), 1);
  EXPECT_EQ(second->FaceCount(), 1);
}

TEST(SectionCacheSize, GrowsWithItsEntriesMeshes) {
  CRhinoMeshObject source;
  TV_SectionCache empty;
  TV_SectionCache filled;
  Fill(filled, &source, 2);
  const unsigned int mesh_size = filled.m_phantom.m_caches[0].m_meshes[0]->SizeOf();
  EXPECT_EQ(filled.SizeOf(), empty.SizeOf() + 2 * (sizeof(DS_MeshCache) + mesh_size));
  EXPECT_GE(empty.SizeOf(), empty.ON_UserData::SizeOf() + empty.m_phantom.CRhinoObject::SizeOf());
}
